"""The command-line program 719k run natively against instrument-sim on a
pty, through the POSIX serial port.

How it works: each test gets a work folder of its own, writes the state
files it needs, starts its simulators (stopped at the test's end, whatever
happened) and runs 719k as a child process with stdin off a terminal and
SET719K_PORT unset unless the test sets it. Paths come from environment
variables that tests/cli/CMakeLists.txt sets; the simulator and the rules
that work out what the instrument holds are shared with the Wine tests
(tests/e2e, on PYTHONPATH).

What it does not do: check anything itself; the test modules assert.
"""

import csv
import datetime
import json
import os
import re
import shutil
import sqlite3
import subprocess
import time
import unittest

from sim_process import Simulator
from simulator import read_state, read_transcript, setting  # noqa: F401
from test_connection import shown_clock
from test_data_log import RECEIVED_BANNER, expected_export, expected_list, read_log, write_state

# A run that has not ended by then hangs; every command here ends well
# before, also in the sanitizer build.
RUN_TIMEOUT_S = 90
# Time for the simulator to take in the last bytes of a run that has ended
# (it writes its transcript as it reads).
SIMULATOR_CATCH_UP_S = 5
POLL_S = 0.05
# A download under way asks for the log within this time.
DOWNLOAD_START_TIMEOUT_S = 30

# The settings as 719k names them, in its output's order: the name on the
# command line and in text, the JSON key, the state file's name.
SETTINGS = [
    ("instrument", "instrument", "instrument_number"),
    ("user-id", "user_id", "user_id"),
    ("location", "location", "location_code"),
    ("access-level", "access_level", "access_level"),
    ("operating-mode", "operating_mode", "operating_mode"),
    ("alarm", "alarm", "alarm_setting"),
    ("span", "span", "span_concentration"),
    ("response-factor", "response_factor", "response_factor"),
]
STATE_NAME = {name: state_name for name, _, state_name in SETTINGS}
# The instrument's order of the eight reads.
SETTING_QUERIES = ["GET INSTRUMENT NUMBER", "GET ALARM SETTING", "GET ACCESS LEVEL", "GET LOCATION CODE",
                   "GET OPERATING MODE", "GET USER ID", "GET RESPONSE FACTOR", "GET SPAN CONCENTRATION"]
# The writable settings in the order Save Config writes them: the name, the
# order's text before its value, and the longest value taken.
ORDERS = [
    ("access-level", "SET ACCESS LEVEL", 1),
    ("instrument", "SET INSTRUMENT NUMBER", 6),
    ("user-id", "SET USER ID", 9),
    ("location", "SET LOCATION CODE", 6),
    ("alarm", "SET ALARM SETTING", 4),
    ("span", "SET SPAN CONCENTRATION", 4),
    ("response-factor", "SET RESPONSE FACTOR", 4),
]
# The instrument answers "GET OPERATING MODE" with its label padded with
# dots to 17 characters, then the mode; 719k prints the whole line.
MODE_LABEL = "OPERATING MODE".ljust(17, ".")
COMMAND_PREFIXES = (b"GET ", b"SET ", b"DO ")
READING_KEYS = ["instrument", "user_id", "mode", "datetime", "location", "ppm", "status"]

SAMPLE_LOG = read_log(setting("SET719K_SAMPLE_STATE"))
SECOND_SESSION = SAMPLE_LOG.index(RECEIVED_BANNER, 1)
# The sample's first session up to its second reading.
ONE_SESSION_LOG = SAMPLE_LOG[:7]
# Both sessions of the sample, each with its heading lines and first
# reading: a different user and mode in each, a banner in each.
TWO_SESSIONS_LOG = SAMPLE_LOG[:6] + SAMPLE_LOG[SECOND_SESSION:SECOND_SESSION + 6]


def aligned(pairs):
    """Names padded to the longest name and two blanks, then the values."""
    width = max(len(name) for name, _ in pairs) + 2
    return "".join("%s%s\n" % (name.ljust(width), value) for name, value in pairs)


def shown_settings(state):
    """The eight settings of a state file as 719k prints them, by name."""
    shown = {name: state[state_name] for name, _, state_name in SETTINGS}
    shown["operating-mode"] = MODE_LABEL + state["operating_mode"]
    return shown


def settings_text(state):
    shown = shown_settings(state)
    return aligned([(name, shown[name]) for name, _, _ in SETTINGS])


def settings_json(state):
    shown = shown_settings(state)
    values = {key: shown[name] for name, key, _ in SETTINGS}
    values["operating_mode_value"] = state["operating_mode"]
    return values


def shown(clock):
    """The instrument's "MM/DD/YY HHMM" as the dialog shows it."""
    return shown_clock({"clock": clock})


def log_list(log):
    return "".join(item + "\n" for item in expected_list(log)).encode("ascii")


def datetime_iso(text):
    """A reading's "MM/DD/YY HHMM" as ISO 8601 local time, years 20YY; None
    when it is no such calendar time."""
    try:
        return datetime.datetime.strptime("20" + text[6:8] + text[:6] + text[8:], "%Y%m/%d/ %H%M").strftime(
            "%Y-%m-%dT%H:%M") if re.fullmatch(r"\d\d/\d\d/\d\d \d{4}", text) else None
    except ValueError:
        return None


def ppm_value(text):
    """The PPM field as a number; None when it is no plain decimal number."""
    return float(text) if re.fullmatch(r"\s*\d+(\.\d+)?\s*", text) else None


def log_readings(log):
    """The readings as JSON objects: the CSV export's fields, unquoted, and
    the values behind the date/time and PPM."""
    rows = list(csv.reader(expected_export(log).decode("ascii").splitlines()))
    readings = [dict(zip(READING_KEYS, row)) for row in rows[1:]]
    for reading in readings:
        reading.update(datetime_iso=datetime_iso(reading["datetime"]), ppm_value=ppm_value(reading["ppm"]))
    return readings


def csv_rows(log):
    """The export's lines (header first), each with its CR LF."""
    return expected_export(log).splitlines(keepends=True)


def commands_sent(transcript_path):
    """The command texts the host sent, in order (a retried command twice)."""
    return [text[:-1].decode("latin-1") for who, text in read_transcript(transcript_path)
            if who == "host" and text.startswith(COMMAND_PREFIXES)]


def wire_bytes(transcript_path):
    """Everything the host sent and everything the instrument sent."""
    entries = read_transcript(transcript_path)
    return (b"".join(text for who, text in entries if who == "host"),
            b"".join(text for who, text in entries if who == "inst"))


def log_lines_handed_back(transcript_path):
    """How many log lines the host has received and handed back so far: the
    framed lines (the end-of-log line aside) that a host text followed, once
    the log was asked for."""
    entries = read_transcript(transcript_path)
    asked = [index for index, (who, text) in enumerate(entries) if who == "host" and text == b"GET LOG DATA\r"]
    entries = entries[asked[0]:] if asked else []
    return sum(1 for (who, text), (next_who, _) in zip(entries, entries[1:])
               if who == "inst" and text.startswith(b"\x02") and text != b"\x02EOT\x03" and next_who == "host")


class Run:
    """One finished run of 719k."""

    def __init__(self, code, out, err, seconds):
        self.code = code
        self.out = out  # bytes: the CSV must be compared byte for byte
        self.err = err
        self.seconds = seconds

    def text(self):
        return self.out.decode("ascii")

    def __repr__(self):
        return "exit %s after %.1f s\nstdout: %r\nstderr: %r" % (self.code, self.seconds, self.out, self.err)


class CliTest(unittest.TestCase):
    def setUp(self):
        self.program = setting("SET719K_CLI")
        self.work = os.path.join(setting("SET719K_CLI_WORK"), self.id())
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.archive = self.path("archive.sqlite")

    def path(self, name):
        return os.path.join(self.work, name)

    def state_file(self, log=(), name="instrument.txt", **values):
        """A state file with the sample's settings, the given changes to them
        (by the state file's names) and the given log."""
        path = write_state(self.path(name), setting("SET719K_SAMPLE_STATE"), list(log))
        if values:
            with open(path) as source:
                lines = source.read().split("\n")
            for index, line in enumerate(lines):
                key = line.split("=", 1)[0].strip()
                if "=" in line and key in values:
                    lines[index] = "%s = %s" % (key, values.pop(key))
            self.assertEqual(values, {}, "no such setting in the sample")
            with open(path, "w") as target:
                target.write("\n".join(lines))
        return path

    def export_file(self, name, log):
        """The export of the log as the dialog writes it."""
        path = self.path(name)
        with open(path, "wb") as export:
            export.write(expected_export(log))
        return path

    def start_simulator(self, state_file, options=(), transcript="transcript.txt"):
        simulator = Simulator(setting("SET719K_SIM"), state_file, options, self.path(transcript))
        self.addCleanup(simulator.stop)
        return simulator

    def environment(self, extra=None):
        env = dict(os.environ)
        env.pop("SET719K_PORT", None)
        env.update(extra or {})
        return env

    def run_719k(self, arguments, env=None, timeout_s=RUN_TIMEOUT_S, stdin=subprocess.DEVNULL,
                 stdout=subprocess.PIPE):
        started = time.monotonic()
        finished = subprocess.run([self.program] + list(arguments), stdin=stdin, stdout=stdout,
                                  stderr=subprocess.PIPE, env=self.environment(env), timeout=timeout_s)
        return Run(finished.returncode, finished.stdout or b"", finished.stderr.decode("utf-8", "replace"),
                   time.monotonic() - started)

    def start_719k(self, arguments, stdin=subprocess.DEVNULL):
        """719k in the background; killed at the test's end if still running."""
        process = subprocess.Popen([self.program] + list(arguments), stdin=stdin,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=self.environment())
        self.addCleanup(self._end, process)
        return process

    @staticmethod
    def _end(process):
        if process.poll() is None:
            process.kill()
        process.communicate()

    def archive_run(self, *words, env=None):
        return self.run_719k(["--archive", self.archive, "archive"] + list(words), env=env)

    def downloads(self):
        """The archive's downloads, newest first, as "archive list --json" gives them."""
        return json.loads(self.archive_run("list", "--json").out)

    def hold_archive(self):
        """Another program in the middle of a write to the archive: it holds
        the write lock until the returned release is called."""
        database = sqlite3.connect(self.archive, isolation_level=None, timeout=0)
        database.execute("BEGIN IMMEDIATE")
        self.addCleanup(database.close)
        return database.close

    def wait_until(self, condition, timeout_s, what):
        if not eventually(condition, timeout_s):
            self.fail("timed out after %.0f s waiting for %s" % (timeout_s, what))

    def wait_for_download(self, simulator, lines=0):
        """Until the log has been asked for and that many lines of it handed back."""
        self.wait_until(lambda: "GET LOG DATA" in commands_sent(simulator.transcript)
                        and log_lines_handed_back(simulator.transcript) >= lines,
                        DOWNLOAD_START_TIMEOUT_S, "%d log lines to come over" % lines)

    def assert_exit(self, run, code):
        self.assertEqual(run.code, code, run)

    def assert_messages(self, run, *expected):
        """stderr holds exactly these lines, each beginning "719k: "."""
        self.assertEqual(run.err.splitlines(), ["719k: " + line for line in expected], run)

    def assert_error_lines(self, run):
        """stderr has something to say, and every line of it begins "719k: "."""
        lines = run.err.splitlines()
        self.assertTrue(lines, run)
        self.assertEqual([line for line in lines if not line.startswith("719k: ")], [], run)

    def assert_nothing_sent(self, simulator):
        # Bytes that went out reach the transcript within this time.
        time.sleep(0.5)
        self.assertEqual(wire_bytes(simulator.transcript), (b"", b""))

    def assert_commands(self, simulator, expected):
        """The host sent exactly these command texts, in this order."""
        eventually(lambda: commands_sent(simulator.transcript) == expected, SIMULATOR_CATCH_UP_S)
        self.assertEqual(commands_sent(simulator.transcript), expected)


def file_bytes(path):
    """The file's bytes; None where there is no such file."""
    try:
        with open(path, "rb") as source:
            return source.read()
    except FileNotFoundError:
        return None


def archive_rows(path, sql, parameters=()):
    """What Python's own sqlite3 module, a client that is not 719k, reads in
    the archive; opened read-only, so that it never makes one."""
    database = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    try:
        return database.execute(sql, parameters).fetchall()
    finally:
        database.close()


def eventually(condition, timeout_s):
    deadline = time.monotonic() + timeout_s
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(POLL_S)
    return True
