"""The window while the program talks to the instrument, under Wine: ports
above COM9, a window that keeps answering through long waits, Cancel for a
download, a double-click on Download Log, and the close box during one."""

import os
import time

from harness import INSTRUMENT_BUTTONS, ProgramTest, ids, port_list_for, read_state
from simulator import read_transcript, write_state

# Windows calls a window "Not Responding" after 5 s without an answer; the
# program must answer far sooner, whatever it waits for.
ANSWER_WITHIN_MS = 200
WATCH_INTERVAL_MS = 50
# A paced instrument takes about 0.6 s a line (the line at 2400 baud, the
# link's 400 ms pause that ends its read, the hand-back and its "!").
PACED_LOG_LINES = 20
DOWNLOAD_TIMEOUT_S = 60
# Lines acknowledged before the test cancels or closes.
LINES_BEFORE_CANCEL = 5
# An operation cancelled at its next wait ends within one read's end.
ENDS_WITHIN_S = 3


def readings(count):
    return ["05/23/08 14%02d   A%05d       %3d    OK" % (10 + i, 17 + i, 12 + i) for i in range(count)]


class BusyWindowTest(ProgramTest):
    def start_instrument(self, port_number=1, options=(), log_lines=None, transcript=None):
        state_file = self.state_copy()
        if log_lines is not None:
            write_state(state_file, state_file, log_lines)
        self.start_simulator(port_number, state_file, options, transcript)
        return state_file

    def start_download(self):
        """Presses Download Log and waits until its button has become Cancel."""
        self.ui.click(ids.IDC_DOWNLOAD_LOG)
        self.ui.wait_until(lambda: self.ui.text(ids.IDC_DOWNLOAD_LOG) == "Cancel", 10, what="download started")

    def download_part_of_a_paced_log(self, log):
        """Connects to a paced instrument with this log and starts a download;
        returns once LINES_BEFORE_CANCEL lines have come and the next is asked for."""
        self.start_instrument(options=["--paced"], log_lines=log)
        self.start_program()
        self.connect()
        self.start_download()
        self.ui.wait_until(lambda: self.ui.progress(ids.IDC_PROGRESS)[0] > LINES_BEFORE_CANCEL,
                           DOWNLOAD_TIMEOUT_S, what="%d lines downloaded" % LINES_BEFORE_CANCEL)
        return self.ui

    def assert_answered_throughout(self, watch):
        self.assertLess(watch.slowest_ms, ANSWER_WITHIN_MS, watch)
        self.assertEqual((watch.hung, watch.unanswered), (0, 0), watch)

    def assert_close_box_ends_at_once(self):
        """The close box in the middle of an operation ends the program with
        exit code 0 within one read's end."""
        closed = time.monotonic()
        self.ui.close()
        self.assertEqual(self.wait_exit(), 0)
        self.assertLess(time.monotonic() - closed, ENDS_WITHIN_S)


class PortList(BusyWindowTest):
    def test_port_mapped_as_com12_is_listed_in_numeric_order_and_connects(self):
        state = read_state(self.start_instrument(12))
        ui = self.start_program()
        listed = self.serial_ports_listed()
        self.assertIn("COM12", listed)
        choices = port_list_for(listed)
        self.assertEqual(ui.combo_items(ids.IDC_PORT), choices)
        self.assertEqual(ui.text(ids.IDC_PORT), "COM1")

        ui.select(ids.IDC_PORT, choices.index("COM12"))
        # Dropping the list down refreshes it and keeps the choice.
        ui.drop_down(ids.IDC_PORT)
        self.assertEqual(ui.combo_items(ids.IDC_PORT), choices)
        self.assertEqual(ui.text(ids.IDC_PORT), "COM12")

        self.connect()
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(ui.text(ids.IDC_FIRMWARE), state["firmware_version"])


class Answering(BusyWindowTest):
    def test_window_answers_throughout_a_long_paced_download(self):
        log = readings(PACED_LOG_LINES)
        self.start_instrument(options=["--paced"], log_lines=log)
        ui = self.start_program()
        self.connect()
        self.start_download()
        watch = ui.watch_answers(DOWNLOAD_TIMEOUT_S, WATCH_INTERVAL_MS,
                                 until_text=(ids.IDC_DOWNLOAD_LOG, "Download Log"))
        self.assertTrue(watch.ended, watch)
        self.assert_answered_throughout(watch)
        # Every 50 ms over some 12 s of download.
        self.assertGreater(watch.samples, PACED_LOG_LINES * 5, watch)
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), log)
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(ui.boxes(), [])

    def test_window_answers_while_connect_waits_for_a_silent_instrument_and_closes_at_once(self):
        self.start_instrument(options=["--silent"])
        ui = self.start_program()
        ui.click(ids.IDC_CONNECT)
        ui.wait_until(lambda: ui.text(ids.IDC_STATUS) == "Connecting...", 10, what="connect started")
        # Four of the version query's 800 ms reads; its box would come after 12.8 s.
        watch = ui.watch_answers(3, WATCH_INTERVAL_MS, until_box=True)
        self.assertFalse(watch.ended, "a box came up: %r" % ui.boxes())
        self.assert_answered_throughout(watch)

        self.assert_close_box_ends_at_once()


class DownloadCancel(BusyWindowTest):
    def test_cancel_in_the_middle_of_a_download_keeps_the_lines_received(self):
        log = readings(PACED_LOG_LINES)
        ui = self.download_part_of_a_paced_log(log)

        ui.click(ids.IDC_DOWNLOAD_LOG)
        ui.wait_until(lambda: ui.text(ids.IDC_STATUS) == "Download cancelled", ENDS_WITHIN_S,
                      what="download cancelled")
        shown = ui.list_items(ids.IDC_LOG_LIST)
        self.assertGreaterEqual(len(shown), LINES_BEFORE_CANCEL)
        self.assertLess(len(shown), PACED_LOG_LINES)
        self.assertEqual(shown, log[:len(shown)])
        self.assertEqual(ui.text(ids.IDC_DOWNLOAD_LOG), "Download Log")
        self.assertTrue(ui.enabled(ids.IDC_EXPORT_LOG))
        self.assertTrue(ui.enabled(ids.IDC_PRINT_LOG))
        self.assertEqual([b for b in INSTRUMENT_BUTTONS if not ui.enabled(b)], [])
        self.assertEqual(ui.boxes(), [])


class DownloadDoubleClick(BusyWindowTest):
    def test_double_click_on_download_log_downloads_the_whole_log_once(self):
        log = readings(6)
        transcript = os.path.join(self.work, "transcript.txt")
        self.start_instrument(log_lines=log, transcript=transcript)
        ui = self.start_program()
        self.connect()

        # The two clicks of a double-click, the second on its way while the
        # first has turned the button into Cancel.
        ui.click(ids.IDC_DOWNLOAD_LOG)
        ui.click(ids.IDC_DOWNLOAD_LOG)
        ui.wait_until(lambda: ui.text(ids.IDC_STATUS) == "Download cancelled" or ui.list_items(ids.IDC_LOG_LIST),
                      DOWNLOAD_TIMEOUT_S, what="download ended")
        ui.wait_until(lambda: ui.text(ids.IDC_DOWNLOAD_LOG) == "Download Log", DOWNLOAD_TIMEOUT_S,
                      what="button back")

        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), log)
        host_texts = [text for who, text in read_transcript(transcript) if who == "host"]
        self.assertEqual(host_texts.count(b"GET LOG DATA\r"), 1, "one download, not two")
        self.assertEqual(ui.boxes(), [])


class CloseDuringOperation(BusyWindowTest):
    def test_close_box_during_a_download_ends_with_exit_code_0(self):
        self.download_part_of_a_paced_log(readings(PACED_LOG_LINES))
        self.assert_close_box_ends_at_once()
