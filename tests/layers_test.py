"""The layers of the source tree: no folder includes a folder above it, and
the front ends reach the wire only through its seams (the serial port, port
names, cancel and the trace), never through the protocol itself, which is
the instrument core's to speak.

Run by ctest from the tests folder; the repository is the folder above."""

import os
import re
import sys
import unittest

REPOSITORY = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([a-z_0-9]+\.h)"', re.MULTILINE)

# Each folder and the folders it may include besides itself.
ALLOWED = {
    "link": set(),
    "instrument": {"link"},
    "datalog": {"link"},
    "report": {"datalog"},
    "app": {"instrument", "datalog", "link"},
    "cli": {"instrument", "datalog", "link"},
}
# What the front ends may take from link/: seams, not the protocol.
FRONT_ENDS = {"app", "cli"}
LINK_SEAMS = {"serial_port.h", "port_name.h", "link_cancel.h", "exchange_trace.h"}


def includes(folder):
    """(file, included folder, included header) for every project include."""
    path = os.path.join(REPOSITORY, folder)
    for name in sorted(os.listdir(path)):
        if name.endswith((".h", ".cpp")):
            with open(os.path.join(path, name), encoding="utf-8") as source:
                for included_folder, header in INCLUDE.findall(source.read()):
                    yield name, included_folder, header


class Layers(unittest.TestCase):
    def test_no_folder_includes_a_folder_above_it(self):
        for folder, allowed in ALLOWED.items():
            for name, included_folder, header in includes(folder):
                with self.subTest(file=folder + "/" + name):
                    self.assertIn(included_folder, allowed | {folder}, header)

    def test_front_ends_reach_the_wire_only_through_its_seams(self):
        for folder in FRONT_ENDS:
            for name, included_folder, header in includes(folder):
                if included_folder == "link":
                    with self.subTest(file=folder + "/" + name):
                        self.assertIn(header, LINK_SEAMS)


if __name__ == "__main__":
    sys.exit(unittest.main())
