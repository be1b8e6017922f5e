"""The command-line program's Windows console build under Wine: it answers
through the Win32 port. (That the native build's download is byte for byte
the dialog's export is checked beside the export, in test_data_log.)"""

import json

from harness import ProgramTest, read_state, setting
from test_connection import shown_clock


def info_lines(state):
    """What "719k info" prints for a state file, line by line."""
    return ["firmware  " + state["firmware_version"], "clock     " + shown_clock(state)]


def calendar_clock(clock):
    """A state file's clock ("MM/DD/YY HHMM") as "YYYY-MM-DDTHH:MM": the
    instrument's two-digit years are 2000 to 2099."""
    date, hours = clock.split(" ")
    month, day, year = date.split("/")
    return "20%s-%s-%sT%s:%s" % (year, month, day, hours[:2], hours[2:])


class ConsoleBuild(ProgramTest):
    def run_console_build(self, arguments):
        return self.run_console_program(setting("SET719K_CLI_EXE"), arguments)

    def test_info_through_com1_prints_firmware_and_clock_and_exits_0(self):
        state_file = self.state_copy()
        self.start_simulator(1, state_file)
        state = read_state(state_file)

        run = self.run_console_build(["info", "--port", "COM1"])
        self.assertEqual(run.returncode, 0, run)
        # A console program's text output ends its lines the Windows way.
        self.assertEqual(run.stdout.decode("ascii").splitlines(), info_lines(state))

        run = self.run_console_build(["--json", "info", "--port", "COM1"])
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(json.loads(run.stdout), {"firmware": state["firmware_version"], "clock": shown_clock(state),
                                                  "clock_iso": calendar_clock(state["clock"])})
