"""Connect and Disconnect under Wine, against instrument-sim and against
ports that fail."""

import time

from harness import IDOK, INSTRUMENT_BUTTONS, ProgramTest, ids, read_state

COMMUNICATIONS_ERROR_TEXT = ("Make sure instrument is properly connected to serial port and is set to "
                             "baud rate 2400")
# A silent instrument costs the version query 16 empty 1-byte reads of
# 800 ms each: 12.8 s, plus Wine's own overhead on a busy machine.
SILENT_QUERY_MIN_S = 12.0
SILENT_QUERY_MAX_S = 18.0
# A box that should have come up has done so by then.
BOX_TIMEOUT_S = 25
# Time for a second box to show up if one wrongly followed the first.
SECOND_BOX_WAIT_S = 1.5


def shown_clock(state):
    """The clock of a state file as the Date/Time field shows it."""
    return time.strftime("%m/%d/%y  %I:%M %p", time.strptime(state["clock"], "%m/%d/%y %H%M"))


class ConnectionTest(ProgramTest):
    def assert_connected(self, state):
        ui = self.ui
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (30, 0, 30))
        self.assertEqual(ui.text(ids.IDC_FIRMWARE), state["firmware_version"])
        self.assertEqual(ui.text(ids.IDC_DATETIME), shown_clock(state))
        self.assertEqual([b for b in INSTRUMENT_BUTTONS if not ui.enabled(b)], [])
        self.assertFalse(ui.enabled(ids.IDC_CONNECT))
        self.assertFalse(ui.enabled(ids.IDC_PORT))
        self.assertFalse(ui.enabled(ids.IDC_EXPORT_LOG))
        self.assertFalse(ui.enabled(ids.IDC_PRINT_LOG))
        self.assertEqual(ui.boxes(), [])

    def assert_failed(self):
        ui = self.ui
        self.assertEqual(ui.text(ids.IDC_STATUS), "Failed To Connect To Instrument")
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (0, 0, 30))
        self.assertTrue(ui.enabled(ids.IDC_CONNECT))
        self.assertTrue(ui.enabled(ids.IDC_PORT))
        self.assertEqual([b for b in INSTRUMENT_BUTTONS if ui.enabled(b)], [])
        self.assertEqual(ui.text(ids.IDC_FIRMWARE), "")
        self.assertEqual(ui.text(ids.IDC_DATETIME), "")

    def answer_only_box(self, caption, text, icon):
        """Checks that exactly this box is shown, owned by the main dialog
        with only an OK button, and presses OK."""
        boxes = self.ui.wait_for_boxes(BOX_TIMEOUT_S)
        self.assertEqual(len(boxes), 1, boxes)
        box = boxes[0]
        self.assertEqual((box.caption, box.text, box.owner, box.buttons), (caption, text, "main", {IDOK: "OK"}))
        self.assertEqual(self.ui.box_icon(box), icon)
        self.ui.answer(box, IDOK)

    def assert_no_further_box(self):
        time.sleep(SECOND_BOX_WAIT_S)
        self.assertEqual(self.ui.boxes(), [])


class Connect(ConnectionTest):
    def test_successful_connect_shows_firmware_and_clock_and_enables_the_instrument_buttons(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        self.start_program()
        self.connect()
        self.assert_connected(read_state(state_file))

    def test_connect_opens_the_chosen_port(self):
        state_file = self.state_copy()
        self.start_simulator(3, state_file)
        ui = self.start_program()
        ui.select(ids.IDC_PORT, 2)
        self.assertEqual(ui.text(ids.IDC_PORT), "COM3")
        self.connect()
        self.assert_connected(read_state(state_file))

    def test_silent_instrument_gives_one_communications_error_after_13_s(self):
        self.start_simulator(1, self.state_copy(), ["--silent"])
        ui = self.start_program()
        started = time.monotonic()
        ui.click(ids.IDC_CONNECT)
        boxes = ui.wait_for_boxes(BOX_TIMEOUT_S)
        waited = time.monotonic() - started
        self.assertTrue(SILENT_QUERY_MIN_S <= waited <= SILENT_QUERY_MAX_S, "box after %.1f s" % waited)
        # Under the box the connect is still under way, with the port
        # selector locked like every button; assert_failed finds it unlocked.
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connecting...")
        self.assertFalse(ui.enabled(ids.IDC_PORT))
        self.answer_only_box("Communications Error", COMMUNICATIONS_ERROR_TEXT, "none")
        self.assert_no_further_box()
        self.assert_failed()

    def test_port_that_cannot_be_opened_gives_port_unavailable_then_communications_error(self):
        ui = self.start_program()
        ui.click(ids.IDC_CONNECT)
        self.answer_only_box("Error", "Port Unavailable", "error")
        self.answer_only_box("Communications Error", COMMUNICATIONS_ERROR_TEXT, "none")
        self.assert_no_further_box()
        self.assert_failed()


class Disconnect(ConnectionTest):
    def test_disconnect_keeps_the_fields_and_unlocks_the_port(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        ui = self.start_program()
        self.connect()
        ui.set_text(ids.IDC_USER_ID, "777")
        shown = {field: ui.text(field) for field in (ids.IDC_FIRMWARE, ids.IDC_DATETIME, ids.IDC_USER_ID)}
        ui.click(ids.IDC_DISCONNECT)
        ui.wait_until(lambda: ui.enabled(ids.IDC_CONNECT), 10, what="disconnected")
        self.assertEqual(ui.text(ids.IDC_STATUS), "Disconnected")
        self.assertEqual({field: ui.text(field) for field in shown}, shown)
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (30, 0, 30))
        self.assertTrue(ui.enabled(ids.IDC_PORT))
        self.assertEqual([b for b in INSTRUMENT_BUTTONS if ui.enabled(b)], [])
        self.assertEqual(ui.boxes(), [])
        # The port was given up: connecting again works.
        self.connect()
        self.assert_connected(read_state(state_file))
