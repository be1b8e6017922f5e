"""instrument-sim for the end-to-end tests: one simulated instrument on a
pty, its state file and its transcript.

Shared by the tests under Wine (tests/e2e) and the command-line program's
tests (tests/cli), which find this folder on their PYTHONPATH. Paths come
from environment variables that the tests' CMakeLists.txt set.

What it does not do: check anything; the test modules assert.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine"))
from winebox import die_with_parent, stop_process  # noqa: E402

# The transcript's escapes for the bytes that are not written as themselves.
_ESCAPED = {"r": b"\r", "n": b"\n", "\\": b"\\", '"': b'"'}


def setting(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError("%s is not set: run the end-to-end tests through ctest" % name)
    return value


def read_state(path):
    """The settings of an instrument state file as a dict (the log left out)."""
    values = {}
    with open(path) as source:
        for line in source:
            line = line.rstrip("\r\n")
            if line == "[log]":
                break
            if line and not line.startswith("#") and "=" in line:
                name, value = line.split("=", 1)
                values[name.strip()] = value[1:] if value.startswith(" ") else value
    return values


def unescape_wire_text(text):
    """The bytes of one transcript text: "\\r", "\\n", "\\\\", "\\"" and "\\xNN"
    stand for the byte, every other character for itself."""
    wire = bytearray()
    position = 0
    while position < len(text):
        character = text[position]
        if character != "\\":
            wire += character.encode("latin-1")
            position += 1
        elif text[position + 1] == "x":
            wire.append(int(text[position + 2:position + 4], 16))
            position += 4
        else:
            wire += _ESCAPED[text[position + 1]]
            position += 2
    return bytes(wire)


def read_transcript(path):
    """The transcript as (who, bytes) pairs in order: who is "host" for a text
    the host sent (up to and with its "\\r"), "inst" for the reply it caused."""
    entries = []
    if not os.path.exists(path):
        return entries
    with open(path, encoding="ascii") as source:
        for line in source:
            who, quoted = line.rstrip("\n").split(" ", 1)
            if not (quoted.startswith('"') and quoted.endswith('"')) or who not in ("host", "inst"):
                raise ValueError("not a transcript line: %r" % line)
            entries.append((who, unescape_wire_text(quoted[1:-1])))
    return entries


class Simulator:
    """instrument-sim serving one instrument on a pty."""

    def __init__(self, state_file, options=(), transcript=None):
        command = [setting("SET719K_SIM"), "--state", state_file] + list(options)
        if transcript:
            command += ["--transcript", transcript]
        self.transcript = transcript
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True, preexec_fn=die_with_parent)
        self.pty = self.process.stdout.readline().strip()
        if not self.pty.startswith("/"):
            self.stop()
            raise RuntimeError("instrument-sim gave no pty: %r %s" % (self.pty, self.process.stderr.read()))

    def stop(self):
        stop_process(self.process)
        self.process.stdout.close()
        self.process.stderr.close()
