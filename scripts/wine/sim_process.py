"""instrument-sim as a child process: one simulated instrument on a pty, for
the end-to-end tests (tests/e2e), the command-line program's tests
(tests/cli), scripts/run and scripts/screenshots.

How it works: the simulator prints its pty's slave path as its first line
and then serves until it is stopped; its error messages are kept for the
exception raised when it gives no pty. The C++ tests have the same in
tests/tools/sim_process.h.

What it does not do: map the pty to a COM port (winebox.map_port does), or
read the simulator's state file and transcript (the tests do).
"""

import subprocess

from child_process import die_with_parent, stop_process


class Simulator:
    """instrument-sim serving state_file on a pty until stop()."""

    def __init__(self, program, state_file, options=(), transcript=None):
        command = [program, "--state", state_file] + list(options)
        if transcript:
            command += ["--transcript", transcript]
        self.transcript = transcript
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True, preexec_fn=die_with_parent)
        self.pty = self.process.stdout.readline().strip()
        if not self.pty.startswith("/"):
            stop_process(self.process)
            message = self.process.stderr.read().strip()
            self.stop()
            raise RuntimeError("instrument-sim gave no pty: %r %s" % (self.pty, message))

    def stop(self):
        """Ends the simulator: the program's next read or write on its port fails."""
        stop_process(self.process)
        self.process.stdout.close()
        self.process.stderr.close()
