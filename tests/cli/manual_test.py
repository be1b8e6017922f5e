"""The manual page of 719k: man reads it without a warning, and every
command that the program's help lists has a section of its own, so that a
command added to the program cannot go undocumented.

Run by ctest with the page and the program: manual_test.py PAGE PROGRAM"""

import os
import re
import subprocess
import sys
import unittest

PAGE, PROGRAM = sys.argv[1:3] if len(sys.argv) >= 3 else (None, None)


def commands(words=()):
    """Every command that does something, as its words, found through help."""
    text = subprocess.run([PROGRAM] + list(words) + ["--help"], capture_output=True, text=True, check=True).stdout
    listed = text.split("Subcommands:", 1)
    if len(listed) == 1:
        return [list(words)]
    found = []
    for line in listed[1].split("\n\n", 1)[0].splitlines():
        if line.strip():
            found += commands(list(words) + [line.split()[0]])
    return found


class Manual(unittest.TestCase):
    def test_man_reads_the_page_without_a_warning(self):
        environment = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80")
        run = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", PAGE], capture_output=True,
                             text=True, env=environment)
        self.assertEqual((run.returncode, run.stderr), (0, ""))

    def test_every_command_has_its_section(self):
        with open(PAGE, encoding="utf-8") as page:
            titles = re.findall(r'^\.SS "719k ([^"]*)"', page.read(), re.MULTILINE)
        # A title is the command's words, then its arguments.
        sections = [" ".join(re.match(r"[a-z ]*", title).group(0).split()) for title in titles]
        words = [" ".join(command) for command in commands()]
        self.assertGreater(len(words), 10)
        self.assertEqual(sorted(words), sorted(sections))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
