#!/usr/bin/env python3
"""CHANGELOG.md in the form Debian wants for a native package's
/usr/share/doc/PACKAGE/changelog.gz, on standard output.

How it works: each "## VERSION - YYYY-MM-DD" section becomes one entry,
dated that day at midnight UTC. Its opening text and each "### Heading"
with its "- " items become "  * " lines (the items as "    - " lines under
their heading), wrapped at 78 columns; Markdown's backticks are dropped.

What it does not do: understand more Markdown than CHANGELOG.md uses (no
nested lists, links or emphasis).
"""

import argparse
import datetime
import email.utils
import re
import sys
import textwrap

VERSION_HEADING = re.compile(r"^## \[?([^\] ]+)\]? - (\d{4}-\d{2}-\d{2})$")
WIDTH = 78


def sections(markdown):
    """(version, date, lines) of each version section, newest first."""
    found = []
    for line in markdown.splitlines():
        heading = VERSION_HEADING.match(line)
        if heading:
            found.append((heading.group(1), heading.group(2), []))
        elif found:
            found[-1][2].append(line)
    return found


def blocks(lines):
    """The section's text as ("text", words) paragraphs, ("heading", title)
    and ("item", words), joining the lines that wrap each one."""
    out = []
    for line in lines:
        text = line.replace("`", "").strip()
        if not text:
            out.append(None)
        elif line.startswith("### "):
            out.append(("heading", text[4:]))
        elif line.startswith("- "):
            out.append(("item", text[2:]))
        elif out and out[-1] is not None and out[-1][0] in ("text", "item"):
            out[-1] = (out[-1][0], out[-1][1] + " " + text)
        else:
            out.append(("text", text))
    return [block for block in out if block is not None]


def entry(package, version, date, lines, maintainer, distribution):
    body = []
    for kind, text in blocks(lines):
        if kind == "item":
            body += textwrap.wrap(text, WIDTH, initial_indent="    - ", subsequent_indent="      ")
        else:
            body += textwrap.wrap(text + (":" if kind == "heading" else ""), WIDTH,
                                  initial_indent="  * ", subsequent_indent="    ")
    day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
    return "%s (%s) %s; urgency=medium\n\n%s\n\n -- %s  %s\n" % (
        package, version, distribution, "\n".join(body), maintainer, email.utils.format_datetime(day))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("changelog", help="CHANGELOG.md")
    parser.add_argument("--package", required=True)
    parser.add_argument("--maintainer", required=True, help="Name <address>, as in the control file")
    parser.add_argument("--distribution", default="stable")
    args = parser.parse_args()

    with open(args.changelog, encoding="utf-8") as source:
        found = sections(source.read())
    if not found:
        sys.exit("%s: no version section" % args.changelog)
    entries = [entry(args.package, version, date, lines, args.maintainer, args.distribution)
               for version, date, lines in found]
    sys.stdout.write("\n".join(entries))
    return 0


if __name__ == "__main__":
    sys.exit(main())
