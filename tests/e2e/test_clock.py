"""Set Time under Wine: the instrument receives the computer's local time and
the Date/Time field shows the clock read back."""

import os
import time

from harness import ProgramTest, ids, read_state
from test_connection import shown_clock

# A zone away from UTC, with daylight saving, so that a time sent in UTC
# does not pass for local time. Written the way both the Unix side and the
# program's C runtime read TZ: the runtime takes the variable in its own
# form ("EST5EDT"), and a Unix zone name would make it fall back to UTC.
LOCAL_ZONE = "EST5EDT"
SET_TIME_TIMEOUT_S = 30


class SetTime(ProgramTest):
    def setUp(self):
        self.saved_zone = os.environ.get("TZ")
        os.environ["TZ"] = LOCAL_ZONE
        time.tzset()
        self.addCleanup(self.restore_zone)
        super().setUp()

    def restore_zone(self):
        if self.saved_zone is None:
            os.environ.pop("TZ", None)
        else:
            os.environ["TZ"] = self.saved_zone
        time.tzset()

    def test_set_time_sends_local_time_and_shows_the_clock_read_back(self):
        state_file = self.state_copy()
        transcript = os.path.join(self.work, "transcript.txt")
        self.start_simulator(1, state_file, transcript=transcript)
        ui = self.start_program()
        self.connect()
        before = read_state(state_file)["clock"]

        sent_from = time.localtime()
        ui.click(ids.IDC_SET_TIME)
        ui.wait_until(lambda: ui.progress(ids.IDC_PROGRESS) == (20, 0, 20), SET_TIME_TIMEOUT_S,
                      what="Set Time finished")
        sent_until = time.localtime()

        state = read_state(state_file)
        local_times = {time.strftime("%m/%d/%y %H%M", t) for t in (sent_from, sent_until)}
        self.assertNotEqual(before, state["clock"])
        self.assertIn(state["clock"], local_times)
        # On the wire: the SET text, its one blank, the time, the terminator;
        # sent once, since its echo was right.
        with open(transcript) as lines:
            orders = [line for line in lines if line.startswith('host "SET REAL TIME')]
        self.assertEqual(orders, ['host "SET REAL TIME %s\\r"\n' % state["clock"]])
        self.assertEqual(ui.text(ids.IDC_DATETIME), shown_clock(state))
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(ui.boxes(), [])
        # The button was disabled while Set Time ran, which took its focus;
        # it has it back, so the keyboard goes on working.
        self.assertEqual(ui.focused(), ids.IDC_SET_TIME)
