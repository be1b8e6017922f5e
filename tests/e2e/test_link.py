"""The instrument link through the Win32 serial port under Wine: link_check
runs a query, an order and a short log transfer over COM1 mapped to
instrument-sim's pty, with COM2 leading nowhere."""

import subprocess

from harness import ProgramTest, setting, windows_path
import winebox

# Lines of the sample log to keep: the banner, the column header, the
# instrument, user and mode lines and a few readings. Every line costs the
# link's 400 ms pause, so the whole log would only slow the run down.
SHORT_LOG_LINES = 9
LINK_CHECK_TIMEOUT_S = 120


def shorten_log(path, keep):
    with open(path) as source:
        lines = source.read().split("\n")
    marker = lines.index("[log]")
    with open(path, "w") as target:
        target.write("\n".join(lines[:marker + 1 + keep]) + "\n")


class LinkUnderWine(ProgramTest):
    def test_query_order_and_log_transfer_through_the_win32_port(self):
        state = self.state_copy()
        shorten_log(state, SHORT_LOG_LINES)
        self.start_simulator(1, state)
        run = subprocess.run([winebox.WINE64, setting("SET719K_LINK_CHECK"), windows_path(state)],
                             env=self.env, capture_output=True, text=True, timeout=LINK_CHECK_TIMEOUT_S)
        print(run.stdout, run.stderr)
        self.assertIn("PASS the log transfer reaches the end of the log", run.stdout)
        self.assertEqual(run.returncode, 0, run.stdout)
