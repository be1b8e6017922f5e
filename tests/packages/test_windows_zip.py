"""The Windows zip as a user meets it, under Wine: unpacked into an empty
folder and its programs started from there, in a fresh prefix (COM1 to COM9
mapped, as winebox.make_prefix does) with instrument-sim on COM1.

32-bit programs cannot run on the machines these tests run on (there is no
32-bit Wine), so the zip unpacked here is the shipped zip's x86_64 twin,
which scripts/package packs in exactly the same way (--x86_64-zip).
scripts/test-packages checks the shipped 32-bit programs without running
them.

Run by scripts/test-packages, from the unpacked folder, with the end-to-end
harness's environment variables (SET719K_PROGRAM names the unpacked
719kset.exe) and SET719K_VERSION, the packages' version.
"""

import os

from harness import ids, read_state, setting
from test_cli import info_lines
from test_connection import ConnectionTest

ABOUT_CAPTION = "About TARVELL 719K"
PUBLISHER_LINE = "Published by the 719K Set project."


class UnpackedZip(ConnectionTest):
    def run_unpacked_console_program(self, arguments):
        return self.run_console_program(os.path.join(os.path.dirname(self.program_exe), "719k.exe"), arguments)

    def test_dialog_connects_to_the_instrument_on_com1_and_about_shows_the_packages_version(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        self.start_program()
        self.connect()
        self.assert_connected(read_state(state_file))

        self.ui.click(ids.IDC_ABOUT)
        self.answer_only_box(ABOUT_CAPTION, "\tVersion %s\r\n\r\n%s" % (setting("SET719K_VERSION"), PUBLISHER_LINE),
                             "none")

    def test_console_program_answers_info_on_com1_and_reports_the_packages_version(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        state = read_state(state_file)

        run = self.run_unpacked_console_program(["--port", "COM1", "info"])
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.stdout.decode("ascii").splitlines(), info_lines(state))

        run = self.run_unpacked_console_program(["--version"])
        self.assertEqual((run.returncode, run.stdout.decode("ascii").strip()),
                         (0, "719k " + setting("SET719K_VERSION")), run)
