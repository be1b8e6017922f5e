"""The layers of the source tree: no folder includes a folder above it, the
data-log formats stand on the standard library alone, and the front ends
reach the wire only through its seams (the serial port, port names, the
cancel token, the trace and why an exchange failed), never through the
protocol itself, which is the instrument core's to speak: not directly, and
not through a header of the core either. Includes are followed transitively.

Run by ctest from the tests folder; the repository is the folder above."""

import os
import re
import sys
import unittest

REPOSITORY = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+/[a-z_0-9]+\.h)"', re.MULTILINE)

# Each folder and the folders it may include besides itself.
ALLOWED = {
    "link": set(),
    "instrument": {"link"},
    "datalog": set(),
    "archive": {"datalog"},
    "report": {"datalog"},
    "app": {"instrument", "datalog", "link"},
    "cli": {"instrument", "datalog", "archive", "report", "link"},
}
# What the front ends may take from link/: seams, not the protocol.
FRONT_ENDS = {"app", "cli"}
LINK_SEAMS = {"link/serial_port.h", "link/port_name.h", "link/cancel_token.h", "link/exchange_trace.h",
              "link/link_failure.h"}


def direct_includes(path):
    """The project headers that one file includes, as "folder/name.h"."""
    with open(os.path.join(REPOSITORY, path), encoding="utf-8") as source:
        return INCLUDE.findall(source.read())


def reachable_headers(path, seen=None):
    """Every project header that a file includes, directly or through others."""
    seen = set() if seen is None else seen
    for header in direct_includes(path):
        if header not in seen and os.path.exists(os.path.join(REPOSITORY, header)):
            seen.add(header)
            reachable_headers(header, seen)
    return seen


def sources(folder):
    for name in sorted(os.listdir(os.path.join(REPOSITORY, folder))):
        if name.endswith((".h", ".cpp")):
            yield folder + "/" + name


class Layers(unittest.TestCase):
    def test_no_folder_includes_a_folder_above_it(self):
        for folder, allowed in ALLOWED.items():
            for path in sources(folder):
                for header in reachable_headers(path):
                    with self.subTest(file=path, header=header):
                        self.assertIn(header.split("/")[0], allowed | {folder})

    def test_front_ends_reach_the_wire_only_through_its_seams(self):
        for folder in FRONT_ENDS:
            for path in sources(folder):
                for header in reachable_headers(path):
                    if header.startswith("link/"):
                        with self.subTest(file=path):
                            self.assertIn(header, LINK_SEAMS)


if __name__ == "__main__":
    sys.exit(unittest.main())
