#!/usr/bin/env python3
"""Checks the Windows programs of a release: what a user's Windows needs to
run them and what Explorer shows of them.

How it works: for each .exe it reads the PE headers (machine, link and
resource time stamps) through scripts/wine/pe_image.py, finds the version
resource (the fixed file and product versions and the FileVersion and
ProductVersion strings) by its signatures, and asks the MinGW objdump for
the DLLs the program imports. A program passes when it is built for the
machine named, carries no time stamp, imports only DLLs that every Windows
has (so libgcc, libstdc++ and libwinpthread are linked in statically) and
shows the version named everywhere.

What it does not do: run the programs.
"""

import argparse
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
from pe_image import PeImage  # noqa: E402

MACHINES = {"i386": 0x14C, "x86-64": 0x8664}
# Windows' own DLLs that the programs may import: nothing else is installed
# on a bare Windows.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "setupapi.dll", "shell32.dll", "user32.dll", "winspool.drv"}
FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def fixed_versions(image):
    """The file and product versions of VS_FIXEDFILEINFO as dotted quads,
    or None without a version resource."""
    at = image.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0:
        return None
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", image, at + 8)

    def quad(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return quad(file_ms, file_ls), quad(product_ms, product_ls)


def version_string(image, name):
    """A value of the version resource's string table: the key in UTF-16,
    padding to a 4-byte boundary, then the value up to its terminating NUL."""
    key = (name + "\0").encode("utf-16-le")
    at = image.find(key)
    if at < 0:
        return None
    at += len(key)
    at += (-at) % 4
    end = at
    while image[end:end + 2] != b"\0\0":
        end += 2
    return image[at:end].decode("utf-16-le")


def imported_dlls(objdump, exe):
    listing = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    return [line.split(":", 1)[1].strip() for line in listing.splitlines() if "DLL Name:" in line]


def problems_of(exe, machine, version, objdump):
    with open(exe, "rb") as source:
        image = source.read()
    found = []
    headers = PeImage(image)
    if headers.machine != MACHINES[machine]:
        found.append("machine 0x%x, not %s" % (headers.machine, machine))
    if headers.time_stamp != 0:
        found.append("link time stamp %d (0 keeps builds reproducible)" % headers.time_stamp)
    resource_time_stamp = headers.resource_time_stamp()
    if resource_time_stamp is None:
        found.append("no resources")
    elif resource_time_stamp != 0:
        found.append("resource time stamp %d" % resource_time_stamp)
    foreign = [dll for dll in imported_dlls(objdump, exe) if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        found.append("imports DLLs that are not Windows' own: " + ", ".join(foreign))
    versions = fixed_versions(image)
    if versions is None:
        return found + ["no version resource"]
    quad = version + ".0"
    for kind, value in zip(("file", "product"), versions):
        if value != quad:
            found.append("fixed %s version %s, not %s" % (kind, value, quad))
    for name in ("FileVersion", "ProductVersion"):
        value = version_string(image, name)
        if value != version:
            found.append("%s %r, not %r" % (name, value, version))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", required=True, choices=sorted(MACHINES))
    parser.add_argument("--version", required=True, help="the project's version, e.g. 1.0.0")
    parser.add_argument("--objdump", required=True, help="the MinGW objdump of that machine")
    parser.add_argument("exe", nargs="+")
    args = parser.parse_args()

    failed = False
    for exe in args.exe:
        problems = problems_of(exe, args.machine, args.version, args.objdump)
        for problem in problems:
            print("%s: %s" % (exe, problem))
        if problems:
            failed = True
        else:
            print("%s: %s, version %s, imports only Windows' own DLLs, no time stamps" % (exe, args.machine,
                                                                                        args.version))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
