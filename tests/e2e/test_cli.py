"""The command-line program's Windows console build under Wine: it answers
through the Win32 port, keeps a download in its survey archive and writes
its files the Windows way. (That the native build's download is byte for
byte the dialog's export is checked beside the export, in test_data_log.)"""

import json
import os
import sqlite3

from harness import ProgramTest, read_state, setting, windows_path
from simulator import read_log, write_state
from test_connection import shown_clock
from test_data_log import expected_export

# The heading lines and a few readings: each line costs the link's 400 ms.
SHORT_LOG_LINES = 9


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

    def test_collect_through_com1_stores_the_log_then_erases_it_and_the_download_writes_its_file_whole(self):
        state_file = self.state_copy()
        log = read_log(state_file)[:SHORT_LOG_LINES]
        write_state(state_file, state_file, log)
        self.start_simulator(1, state_file)
        survey = os.path.join(self.work, "survey.csv")
        run = self.run_console_build(["log", "download", "--port", "COM1", "-o", windows_path(survey)])
        self.assertEqual(run.returncode, 0, run)
        with open(survey, "rb") as written:
            self.assertEqual(written.read(), expected_export(log))

        archive = os.path.join(self.work, "archive.sqlite")
        run = self.run_console_build(["collect", "--erase", "--json", "--archive", windows_path(archive),
                                      "--port", "COM1"])
        self.assertEqual(run.returncode, 0, run)
        summary = json.loads(run.stdout)
        readings = [line for line in log if not line.startswith(" ")]
        self.assertEqual((summary["lines"], summary["readings"], summary["new_readings"], summary["complete"],
                          summary["erased"]), (len(log), len(readings), len(readings), True, True))
        with sqlite3.connect(archive) as database:
            stored = [text for (text,) in database.execute("SELECT text FROM log_lines ORDER BY line_number")]
            port, erased = database.execute("SELECT port, erased FROM downloads").fetchone()
        self.assertEqual((stored, port, erased), (log, "COM1", 1))
        self.assertEqual(read_log(state_file), [], "the instrument's log is erased once stored")
