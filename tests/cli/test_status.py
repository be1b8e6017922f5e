"""What 719k says while it works: the status line on a terminal, counting on
through a silent instrument, and --progress, one dated line per event, for
the logs of scheduled jobs. Standard error is a pseudo-terminal of the
test's own where a terminal is wanted."""

import os
import re
import subprocess
import threading

from cli_harness import SAMPLE_LOG, CliTest

PROGRESS_LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d 719k: (.*)$")


class StatusLine(CliTest):
    def run_on_a_terminal(self, arguments):
        """719k with standard error on a pty: its exit code and everything the
        terminal received."""
        screen, terminal = os.openpty()
        received = []
        reader = threading.Thread(target=self.read_all, args=(screen, received))
        reader.start()
        try:
            finished = subprocess.run([self.program] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=terminal, env=self.environment(), timeout=60)
        finally:
            os.close(terminal)
            reader.join(timeout=10)
            os.close(screen)
        return finished.returncode, b"".join(received).decode("ascii", "replace")

    @staticmethod
    def read_all(screen, received):
        while True:
            try:
                chunk = os.read(screen, 4096)
            except OSError:  # the terminal's last holder closed it
                return
            if not chunk:
                return
            received.append(chunk)

    def test_a_silent_instrument_is_waited_for_in_plain_words_and_the_line_is_cleared(self):
        simulator = self.start_simulator(self.state_file(), ["--silent"])
        code, screen = self.run_on_a_terminal(["info", "--port", simulator.pty])
        self.assertEqual(code, 1, screen)
        states = [state.rstrip() for state in screen.split("\r") if state.strip()]
        self.assertIn("719k: contacting the instrument on %s, 0:00" % simulator.pty, states)
        waiting = [state for state in states if "waiting for the instrument" in state]
        self.assertTrue(waiting, screen)
        # The silence and the time left count as the seconds pass.
        silences = [int(re.search(r"no answer for (\d+) s", state).group(1)) for state in waiting]
        self.assertEqual(silences, sorted(silences))
        self.assertEqual(silences[0], 2)
        self.assertGreaterEqual(silences[-1], 10)
        left = [int(re.search(r"giving up in (\d+) s", state).group(1)) for state in waiting]
        self.assertEqual(left, sorted(left, reverse=True))
        self.assertLessEqual(left[0], 12)
        self.assertRegex(waiting[-1], r", 0:1\d; waiting")
        # The line is cleared before the message, which stands alone.
        self.assertTrue(screen.endswith("baud?\r\n"), screen[-200:])
        self.assertRegex(screen, r"\r +\r719k: no answer from the instrument on ")

    def test_progress_gives_one_dated_line_per_event_off_a_terminal_and_quiet_gives_none(self):
        log = SAMPLE_LOG[:8]
        simulator = self.start_simulator(self.state_file(log))
        run = self.run_719k(["log", "download", "--progress", "--port", simulator.pty])
        self.assertEqual(run.code, 0, run)
        events = [PROGRESS_LINE.match(line).group(1) for line in run.err.splitlines() if PROGRESS_LINE.match(line)]
        self.assertEqual(events[0], "contacting the instrument on %s, 0:00" % simulator.pty)
        self.assertEqual(events[1:], ["downloading the log, 0:00"], "a download of a few seconds has no count")
        self.assertEqual(run.err.splitlines()[-1], "719k: downloaded 8 log lines, 3 readings")
        quiet = self.run_719k(["log", "download", "--quiet", "--port", simulator.pty])
        self.assertEqual((quiet.code, quiet.err), (0, ""))
        # Off a terminal, and without --progress, nothing but the result.
        plain = self.run_719k(["info", "--port", simulator.pty])
        self.assertEqual((plain.code, plain.err), (0, ""))
