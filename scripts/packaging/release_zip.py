#!/usr/bin/env python3
"""Writes a release zip that is the same, byte for byte, wherever and
whenever it is made from the same files.

How it works: entries go in sorted by name, each stamped with the time of
SOURCE_DATE_EPOCH (the release commit's time, in UTC; zip times begin in
1980) and the same attributes (a plain Windows file), and compressed at a
fixed level. Text entries get Windows line ends, so that Notepad shows
them as written; their source must use Unix line ends.

What it does not do: add folders, or keep the files' own times and modes.
"""

import argparse
import os
import sys
import time
import zipfile

ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)
MSDOS = 0
ARCHIVE_ATTRIBUTE = 0x20


def entry_time(epoch):
    stamp = time.gmtime(epoch)[:6]
    return max(stamp, ZIP_EPOCH)


def windows_text(path):
    with open(path, "rb") as source:
        data = source.read()
    if b"\r" in data:
        raise ValueError("%s: carriage return in a text source" % path)
    return data.replace(b"\n", b"\r\n")


def binary(path):
    with open(path, "rb") as source:
        return source.read()


def write_zip(target, entries, epoch):
    """entries: (name in the zip, bytes) pairs."""
    temporary = target + ".partial"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, data in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=entry_time(epoch))
            info.create_system = MSDOS
            info.external_attr = ARCHIVE_ATTRIBUTE
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(temporary, target)


def named(argument):
    name, separator, path = argument.partition("=")
    if not separator or not name or not path:
        raise argparse.ArgumentTypeError("expected NAME=PATH, got %r" % argument)
    return name, path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("zip")
    parser.add_argument("--text", type=named, action="append", default=[], metavar="NAME=PATH",
                        help="a text file, written with Windows line ends")
    parser.add_argument("--binary", type=named, action="append", default=[], metavar="NAME=PATH",
                        help="a file written as it is")
    args = parser.parse_args()

    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("SOURCE_DATE_EPOCH is not set")
    entries = [(name, windows_text(path)) for name, path in args.text]
    entries += [(name, binary(path)) for name, path in args.binary]
    names = [name for name, _ in entries]
    if len(set(names)) != len(names):
        sys.exit("an entry name is given twice")
    write_zip(args.zip, entries, int(epoch))
    return 0


if __name__ == "__main__":
    sys.exit(main())
