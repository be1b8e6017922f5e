"""Child processes of the scripts and tests (Xvfb, instrument-sim, 719k)
that never outlive them.

How it works: die_with_parent, given to Popen as preexec_fn, asks the kernel
to send the child SIGTERM when its parent dies, so an interrupted run
leaves nothing behind; stop_process ends a child politely, then by force.

What it does not do: start anything itself.
"""

import ctypes
import signal
import subprocess

STOP_TIMEOUT_S = 10


def die_with_parent():
    """For Popen's preexec_fn: the child gets SIGTERM when its parent dies."""
    pr_set_pdeathsig = 1
    ctypes.CDLL(None, use_errno=True).prctl(pr_set_pdeathsig, signal.SIGTERM)


def stop_process(process, timeout_s=STOP_TIMEOUT_S):
    """Terminates a child and waits for it; kills it if it will not go."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=timeout_s)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
