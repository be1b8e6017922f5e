"""What 719k says while it works: the status line on a terminal, counting on
through a silent instrument, and --progress, one dated line per event, for
the logs of scheduled jobs (--quiet: test_commands). Standard error is a pseudo-terminal of the
test's own where a terminal is wanted."""

import os
import re
import subprocess

from cli_harness import SAMPLE_LOG, CliTest

PROGRESS_LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d 719k: (.*)$")


class StatusLine(CliTest):
    def run_on_a_terminal(self, arguments):
        """719k with standard error on a pty: its exit code and everything the
        terminal received."""
        screen, terminal = os.openpty()
        self.addCleanup(os.close, screen)
        process = subprocess.Popen([self.program] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=terminal, env=self.environment())
        self.addCleanup(self._end, process)
        os.close(terminal)
        received = b""
        try:
            while chunk := os.read(screen, 4096):
                received += chunk
        except OSError:  # the terminal's last holder, 719k, has closed it
            pass
        return process.wait(timeout=10), received.decode("ascii", "replace")

    def test_a_silent_instrument_is_waited_for_in_plain_words_and_the_line_is_cleared(self):
        simulator = self.start_simulator(self.state_file(), ["--silent"])
        code, screen = self.run_on_a_terminal(["info", "--port", simulator.pty])
        self.assertEqual(code, 1, screen)
        states = [state.rstrip() for state in screen.split("\r") if state.strip()]
        self.assertIn("719k: contacting the instrument on %s, 0:00" % simulator.pty, states)
        # The silence and the time left count as the seconds pass.
        waiting = [re.search(r", 0:(\d\d); waiting for the instrument: no answer for (\d+) s, giving up in (\d+) s",
                             state) for state in states if "waiting" in state]
        elapsed, silences, left = zip(*[[int(number) for number in match.groups()] for match in waiting])
        self.assertEqual((silences[0], list(silences), list(left)), (2, sorted(silences), sorted(left, reverse=True)))
        self.assertTrue(elapsed[-1] >= 10 and silences[-1] >= 10 and left[0] <= 12, screen)
        # The line is cleared before the message, which stands alone.
        message = "719k: no answer from the instrument on %s: is it connected, switched on and set to 2400 baud?"
        self.assertRegex(screen, r"\r +\r%s\r\n$" % re.escape(message % simulator.pty))

    def test_progress_gives_one_dated_line_per_event_off_a_terminal(self):
        log = SAMPLE_LOG[:8]
        simulator = self.start_simulator(self.state_file(log))
        run = self.run_719k(["log", "download", "--progress", "--port", simulator.pty])
        self.assertEqual(run.code, 0, run)
        events = [PROGRESS_LINE.match(line).group(1) for line in run.err.splitlines() if PROGRESS_LINE.match(line)]
        self.assertEqual(events[0], "contacting the instrument on %s, 0:00" % simulator.pty)
        self.assertEqual(events[1:], ["downloading the log, 0:00"], "a download of a few seconds has no count")
        self.assertEqual(run.err.splitlines()[-1], "719k: downloaded 8 log lines, 3 readings")
