"""The command-line program 719k beside the dialog: its Windows console
build under Wine answers through the Win32 port, and its native build's
CSV download is byte for byte what the dialog's Export Log writes for the
same log."""

import json
import os
import subprocess

from harness import ProgramTest, read_state, setting, windows_path
from simulator import Simulator
from test_connection import shown_clock
from test_data_log import IDOK, DataLogTest, expected_export, file_bytes, ids, read_log
import winebox

CLI_TIMEOUT_S = 60
# The whole sample log at the link's 400 ms a line, on a busy machine.
NATIVE_DOWNLOAD_TIMEOUT_S = 120


def calendar_clock(clock):
    """A state file's clock ("MM/DD/YY HHMM") as "YYYY-MM-DDTHH:MM": the
    instrument's two-digit years are 2000 to 2099."""
    date, hours = clock.split(" ")
    month, day, year = date.split("/")
    return "20%s-%s-%sT%s:%s" % (year, month, day, hours[:2], hours[2:])


class ConsoleBuild(ProgramTest):
    def run_console_build(self, arguments):
        return subprocess.run([winebox.WINE64, setting("SET719K_CLI_EXE")] + arguments, env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=CLI_TIMEOUT_S)

    def test_info_through_com1_prints_firmware_and_clock_and_exits_0(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        state = read_state(state_file)

        run = self.run_console_build(["info", "--port", "COM1"])
        self.assertEqual(run.returncode, 0, run)
        # A console program's text output ends its lines the Windows way.
        self.assertEqual(run.stdout.decode("ascii").splitlines(),
                         ["firmware  " + state["firmware_version"], "clock     " + shown_clock(state)])

        run = self.run_console_build(["--json", "info", "--port", "COM1"])
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(json.loads(run.stdout), {"firmware": state["firmware_version"], "clock": shown_clock(state),
                                                  "clock_iso": calendar_clock(state["clock"])})


class DownloadMatchesExport(DataLogTest):
    def export_to(self, path):
        self.start_operation(ids.IDC_EXPORT_LOG)
        save_dialog = self.only_box("Save As")
        self.ui.file_name(save_dialog, windows_path(path))
        self.ui.answer(save_dialog, IDOK)
        self.wait_until_connected("export ended")
        return file_bytes(path)

    def test_native_csv_download_is_byte_for_byte_the_dialogs_export_of_the_same_log(self):
        # The native download runs on a simulator of its own, with a copy of
        # the same state file, while the dialog downloads.
        dialog_state = self.state_copy("dialog.txt")
        native_simulator = Simulator(self.state_copy("native.txt"))
        self.addCleanup(native_simulator.stop)
        native = subprocess.Popen([setting("SET719K_CLI"), "log", "download", "--port", native_simulator.pty],
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  preexec_fn=winebox.die_with_parent)
        self.addCleanup(winebox.stop_process, native)

        self.start_simulator(1, dialog_state)
        self.start_program()
        self.connect()
        self.download()
        exported = self.export_to(os.path.join(self.work, "survey.txt"))
        downloaded, messages = native.communicate(timeout=NATIVE_DOWNLOAD_TIMEOUT_S)

        self.assertEqual(native.returncode, 0, messages)
        self.assertEqual(downloaded, exported)
        # Both are the whole log, not merely the same mistake.
        self.assertEqual(exported, expected_export(read_log(dialog_state)))
