"""instrument-sim's files for the end-to-end tests: the settings and log of
a state file, read and written, and the bytes of its transcript; and the
tests' paths, which come from environment variables that the tests'
CMakeLists.txt set.

Shared by the tests under Wine (tests/e2e) and the command-line program's
tests (tests/cli), which find this folder on their PYTHONPATH.

What it does not do: start the simulator (scripts/wine/sim_process.py
does), or check anything; the test modules assert.
"""

import os

# The line of a state file after which its log lines stand.
LOG_MARKER = "[log]"
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
            if line == LOG_MARKER:
                break
            if line and not line.startswith("#") and "=" in line:
                name, value = line.split("=", 1)
                values[name.strip()] = value[1:] if value.startswith(" ") else value
    return values


def read_log(state_file):
    """The log lines of an instrument state file."""
    with open(state_file) as source:
        lines = source.read().splitlines()
    return lines[lines.index(LOG_MARKER) + 1:]


def write_state(path, base_state_file, log):
    """A state file with the settings of base_state_file and the given log
    (path may be base_state_file itself)."""
    with open(base_state_file) as source:
        settings = source.read().splitlines()
    with open(path, "w") as target:
        target.write("\n".join(settings[:settings.index(LOG_MARKER) + 1] + log) + "\n")
    return path


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
