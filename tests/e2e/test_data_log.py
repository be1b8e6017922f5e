"""Download Log, Export Log and Erase Instrument Data under Wine, against
instrument-sim: the list, the export file through the save dialog (and the
native 719k's download of the same log, byte for byte the same), the
overwrite question, the erase question and a download that stops part-way.

What the program should show and write is worked out here from the
simulator's state file with the instrument's rules written out plainly,
not with the program's code. Every log line costs the link's 400 ms
pause, so only the tests whose subject is the content use a whole log.
"""

import os
import shutil
import subprocess
import time

from child_process import die_with_parent, stop_process
from harness import IDCANCEL, IDNO, IDOK, IDYES, ids, setting, windows_path
from sim_process import Simulator
from simulator import read_log, write_state
from test_connection import ConnectionTest

# The instrument's heading lines as it sends them and as the program keeps them.
RECEIVED_BANNER = "  719   VER. 3.1"
BANNER = " 719   VER. 3.1"
SHORT_HEADER = " " * 17 + "LOC." + " " * 8 + "PPM" + " " * 4 + "STATUS "
LONG_HEADER = " " * 28 + "LOC." + " " * 9 + "PPM" + " " * 5 + "STATUS"
SEPARATOR = " "
EXPORT_HEADER = b"Instrument #,User ID #,Mode,Date/Time,Location,PPM,Status\r\n"
# Shown in the status bar before an operation starts; it is gone once the
# operation has started, so "Connected" afterwards means it has ended (the
# program answers no reads while it works).
STATUS_MARKER = "(before the operation)"
OPERATION_TIMEOUT_S = 120
BOX_TIMEOUT_S = 25
# A silent instrument costs the line read that waits for it 100 bytes times
# the port's 400 ms per byte, plus 400 ms: 40.4 s before the transfer fails.
SILENT_LINE_READ_S = 40.4
ORDER_SAVED_TIMEOUT_S = 15
# The sample log's first session up to its second reading.
SHORT_LOG_LINES = 7


def stored_line(received):
    return {RECEIVED_BANNER: BANNER, SHORT_HEADER: LONG_HEADER}.get(received, received)


def expected_list(log):
    items = []
    for line in map(stored_line, log):
        if line == BANNER:
            items.append(SEPARATOR)
        items.append(line)
    return items


def expected_export(log):
    """The export file for a log whose fields hold no comma or double quote."""
    rows = [EXPORT_HEADER]
    instrument = user = mode = ""
    for line in map(stored_line, log):
        assert "," not in line and '"' not in line, "the plain rule below does not quote: %r" % line
        if line.startswith(" I"):
            instrument = line[17:]
        elif line.startswith(" U"):
            user = line[17:]
        elif line.startswith(" O"):
            mode = line[17:]
        elif not line.startswith(" "):
            row = '%s,%s,"%s",%s,%s,%s,%s\r\n' % (instrument, user, mode, line[0:13], line[16:22], line[28:32],
                                                 line[36:])
            rows.append(row.encode("ascii"))
    return b"".join(rows)


def file_bytes(path):
    with open(path, "rb") as source:
        return source.read()


class DataLogTest(ConnectionTest):
    """The program connected to instrument-sim on COM1, with helpers that run
    an operation to its end."""

    def start_with_log(self, log, options=(), name="instrument.txt"):
        state_file = write_state(os.path.join(self.work, name), setting("SET719K_SAMPLE_STATE"), log)
        self.start_simulator(1, state_file, options)
        self.start_program()
        self.connect()
        return state_file

    def start_operation(self, button):
        self.ui.set_text(ids.IDC_STATUS, STATUS_MARKER)
        self.ui.click(button)

    def wait_until_connected(self, what):
        self.ui.wait_until(lambda: self.ui.text(ids.IDC_STATUS) == "Connected", OPERATION_TIMEOUT_S, what=what)

    def run_operation(self, button, what):
        self.start_operation(button)
        self.wait_until_connected(what)

    def download(self):
        self.run_operation(ids.IDC_DOWNLOAD_LOG, "download ended")

    def only_box(self, caption, timeout_s=BOX_TIMEOUT_S):
        boxes = self.ui.wait_for_boxes(timeout_s)
        self.assertEqual([box.caption for box in boxes], [caption])
        return boxes[0]

    def assert_finished_with_full_bar(self):
        self.assertEqual(self.ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(self.ui.progress(ids.IDC_PROGRESS), (1000, 0, 1000))
        self.assertEqual(self.ui.boxes(), [])

    def assert_owned_box(self, box, caption, text, buttons, icon):
        """An owned box: the main dialog is disabled under it, so no second
        operation can start before it is answered."""
        self.assertEqual((box.caption, box.text, box.owner, sorted(box.buttons)), (caption, text, "main", buttons))
        self.assertEqual(self.ui.box_icon(box), icon)
        self.assertFalse(self.ui.enabled(0))


class DownloadAndExport(DataLogTest):
    def download_with_719k(self, state_file):
        """The native 719k downloads the same log from a simulator of its own
        while the dialog works; returns the process."""
        simulator = Simulator(setting("SET719K_SIM"), shutil.copy(state_file, os.path.join(self.work, "for_719k.txt")))
        self.addCleanup(simulator.stop)
        download = subprocess.Popen([setting("SET719K_CLI"), "log", "download", "--port", simulator.pty],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    preexec_fn=die_with_parent)
        self.addCleanup(stop_process, download)
        return download

    def test_sample_log_is_listed_with_separators_exported_byte_for_byte_and_719k_downloads_the_same(self):
        log = read_log(setting("SET719K_SAMPLE_STATE"))
        state_file = self.start_with_log(log)
        native_download = self.download_with_719k(state_file)
        ui = self.ui
        self.download()
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), expected_list(log))
        self.assertTrue(ui.enabled(ids.IDC_EXPORT_LOG))
        self.assertTrue(ui.enabled(ids.IDC_PRINT_LOG))
        self.assert_finished_with_full_bar()

        # A name without an extension gets the dialog's default one.
        typed = os.path.join(self.work, "survey")
        self.start_operation(ids.IDC_EXPORT_LOG)
        save_dialog = self.only_box("Save As")
        self.assertEqual(save_dialog.owner, "main")
        self.assertEqual(ui.text(ids.IDC_STATUS), "Exporting File...")
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (0, 0, 1000))
        ui.file_name(save_dialog, windows_path(typed))
        ui.answer(save_dialog, IDOK)
        self.wait_until_connected("export ended")
        self.assert_finished_with_full_bar()

        exported = file_bytes(typed + ".txt")
        self.assertEqual(exported, expected_export(log))
        # The rule above, pinned to one row written out by hand.
        self.assertEqual(exported.split(b"\r\n")[1], b'000123,000000042,"M1",05/23/08 1432,A00017,  12,OK')
        self.assertFalse(os.path.exists(typed))

        downloaded, messages = native_download.communicate(timeout=OPERATION_TIMEOUT_S)
        self.assertEqual(native_download.returncode, 0, messages)
        self.assertEqual(downloaded, exported)


class OverwriteQuestion(DataLogTest):
    def answer_save_dialog(self, button, path=None):
        save_dialog = self.only_box("Save As")
        if path:
            self.ui.file_name(save_dialog, windows_path(path))
        self.ui.answer(save_dialog, button)

    def overwrite_question(self):
        box = self.only_box("Warning")
        self.assert_owned_box(box, "Warning", "File Already Exists. Overwrite?", [IDYES, IDNO], "none")
        return box

    def test_no_keeps_the_file_and_asks_again_with_the_same_path_yes_replaces_it_whole(self):
        log = read_log(setting("SET719K_SAMPLE_STATE"))[:SHORT_LOG_LINES]
        target = os.path.join(self.work, "survey.txt")
        # Longer than the export, so a file that is not emptied first shows.
        old_content = b"an earlier export\r\n" * 200
        with open(target, "wb") as old:
            old.write(old_content)
        self.start_with_log(log)
        ui = self.ui
        self.download()

        self.start_operation(ids.IDC_EXPORT_LOG)
        self.answer_save_dialog(IDOK, target)
        ui.answer(self.overwrite_question(), IDNO)
        self.assertEqual(file_bytes(target), old_content)
        # The dialog comes back holding the same path: OK alone asks again.
        self.answer_save_dialog(IDOK)
        ui.answer(self.overwrite_question(), IDYES)
        self.wait_until_connected("export ended")
        self.assert_finished_with_full_bar()
        self.assertEqual(file_bytes(target), expected_export(log))

        # The next export opens with the path chosen last; No, then Cancel,
        # leaves the file as it is.
        self.start_operation(ids.IDC_EXPORT_LOG)
        self.answer_save_dialog(IDOK)
        ui.answer(self.overwrite_question(), IDNO)
        self.answer_save_dialog(IDCANCEL)
        self.wait_until_connected("export cancelled")
        self.assert_finished_with_full_bar()
        self.assertEqual(file_bytes(target), expected_export(log))


class EraseInstrumentData(DataLogTest):
    def wait_for_log(self, state_file, log):
        deadline = time.monotonic() + ORDER_SAVED_TIMEOUT_S
        while read_log(state_file) != log and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(read_log(state_file), log)

    def erase_question(self):
        box = self.only_box("Erase Instrument Data")
        self.assert_owned_box(box, "Erase Instrument Data", "Erase all readings stored in the instrument?",
                              [IDYES, IDNO], "warning")
        return box

    def assert_untouched(self, listed):
        """Erase leaves the status bar, the bar and the list as they were."""
        ui = self.ui
        ui.wait_until(lambda: ui.text(ids.IDC_STATUS) == STATUS_MARKER, OPERATION_TIMEOUT_S, what="erase ended")
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (1000, 0, 1000))
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), listed)
        self.assertEqual(ui.boxes(), [])

    def test_erase_asks_first_with_no_as_the_default_and_only_yes_empties_the_log(self):
        log = read_log(setting("SET719K_SAMPLE_STATE"))[:SHORT_LOG_LINES]
        state_file = self.start_with_log(log)
        ui = self.ui
        self.download()
        listed = ui.list_items(ids.IDC_LOG_LIST)

        # Enter answers the default button, which has the focus.
        self.start_operation(ids.IDC_ERASE_DATA)
        self.erase_question()
        self.assertEqual(ui.focused(), IDNO)
        ui.key("enter")
        ui.wait_until(lambda: ui.boxes() == [], BOX_TIMEOUT_S, what="question answered")
        self.assert_untouched(listed)
        self.assertEqual(read_log(state_file), log)

        self.start_operation(ids.IDC_ERASE_DATA)
        ui.answer(self.erase_question(), IDYES)
        self.wait_for_log(state_file, [])
        self.assert_untouched(listed)
        self.assertTrue(ui.enabled(0))

        self.download()
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), [])
        self.assertTrue(ui.enabled(ids.IDC_EXPORT_LOG))
        self.assert_finished_with_full_bar()


class FailedDownload(DataLogTest):
    LINES_BEFORE_SILENCE = 5

    def test_download_that_stops_part_way_lists_only_its_own_lines_and_says_so(self):
        sample = read_log(setting("SET719K_SAMPLE_STATE"))
        first_log = sample[:SHORT_LOG_LINES + 1]
        second_session = sample[sample.index(RECEIVED_BANNER, 1):]
        self.start_with_log(first_log)
        ui = self.ui
        self.download()
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), expected_list(first_log))

        # Another instrument on the same port falls silent after five lines;
        # the readings of the first log must not show up below them.
        ui.click(ids.IDC_DISCONNECT)
        ui.wait_until(lambda: ui.enabled(ids.IDC_CONNECT), OPERATION_TIMEOUT_S, what="disconnected")
        second_state = write_state(os.path.join(self.work, "second.txt"), setting("SET719K_SAMPLE_STATE"),
                                   second_session)
        self.start_simulator(1, second_state, ["--silent-after-log-lines", str(self.LINES_BEFORE_SILENCE)])
        self.connect()
        received = expected_list(second_session[:self.LINES_BEFORE_SILENCE])

        self.start_operation(ids.IDC_DOWNLOAD_LOG)
        box = self.only_box("Communications Error", SILENT_LINE_READ_S + BOX_TIMEOUT_S)
        self.assert_owned_box(box, "Communications Error",
                              "The data log download did not complete. The list shows the lines received before "
                              "the instrument stopped answering.", [IDOK], "warning")
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), received)
        ui.answer(box, IDOK)
        self.assert_finished_with_full_bar()
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), received)
        self.assertTrue(ui.enabled(ids.IDC_EXPORT_LOG))
        self.assertTrue(ui.enabled(ids.IDC_PRINT_LOG))
        self.assertTrue(ui.enabled(0))
