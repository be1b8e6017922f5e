#!/usr/bin/env python3
"""The COMMANDS section of 719k's manual page, written from the --help of
each of its commands, as an include file for help2man (which writes the
rest of the page from the program's own --help).

How it works: the program's --help lists its commands under "Subcommands:";
each command's --help is read in turn, and a command with commands of its
own is followed down, so that every command that does something gets a
subsection: its usage line, what it does, and its arguments and options
(except --help). The notes that every --help ends with (the common options,
the exit codes) stand once on the page already and are left out here.

What it does not do: know the commands. A command added to the program
appears on the page without a change here.
"""

import argparse
import subprocess
import sys

HEADINGS = ("Options:", "Positionals:", "Subcommands:")


def help_text(program, words):
    run = subprocess.run([program] + words + ["--help"], capture_output=True, text=True, check=True)
    return run.stdout


def parse_help(text):
    """(description, usage, {heading: [(term, explanation)]}) of one --help.
    An entry's explanation stands on its term's line after a run of blanks,
    or on the line below when the term is too long."""
    lines = text.splitlines()
    description = lines[0].strip()
    usage = next(line.split(":", 1)[1].strip() for line in lines if line.startswith("Usage:"))
    sections = {}
    current = None
    for line in lines[1:]:
        if line in HEADINGS:
            current = sections.setdefault(line[:-1], [])
        elif not line.strip():
            current = None
        elif current is not None and line.startswith("  ") and not line[2:3].isspace():
            term, _, explanation = line.strip().partition("  ")
            current.append([term, explanation.strip()])
        elif current is not None and current:
            current[-1][1] = (current[-1][1] + " " + line.strip()).strip()
    return description, usage, sections


def roff(text):
    """Text for a roff line: backslashes and hyphens escaped, and a leading
    dot or quote kept from being read as a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def command_section(description, usage, sections):
    out = ['.SS "%s"' % roff(usage), roff(description)]
    for heading in ("Positionals", "Options"):
        for term, explanation in sections.get(heading, []):
            if term.startswith("-h,--help"):
                continue
            name, _, rest = term.partition(" ")
            out += [".TP", "\\fB%s\\fR%s" % (roff(name), " " + roff(rest) if rest else ""), roff(explanation)]
    return out


def commands(program, words=()):
    """Every command that does something, depth first in --help order, as
    (description, usage, sections)."""
    description, usage, sections = parse_help(help_text(program, list(words)))
    children = [term for term, _ in sections.get("Subcommands", [])]
    if words and not children:
        yield description, usage, sections
    for child in children:
        yield from commands(program, tuple(words) + (child,))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the built program, run for its --help")
    args = parser.parse_args()

    lines = ["[COMMANDS]"]
    for description, usage, sections in commands(args.program):
        lines += command_section(description, usage, sections)
    sys.stdout.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
