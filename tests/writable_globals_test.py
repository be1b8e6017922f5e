"""The libraries below the front ends keep no writable object: every static
library given on the command line defines no symbol in a writable section
(nm's B, b, D and d) but the compiler's own (vtables, typeinfo, guard
variables). Whatever such a library holds belongs to an object its caller
owns, so two instruments can be served at once and tests can run in any
order in one process.

Run by ctest with the libraries' paths."""

import subprocess
import sys

WRITABLE = {"B", "b", "D", "d"}
COMPILERS_OWN = ("vtable for ", "typeinfo for ", "typeinfo name for ", "guard variable for ")


def writable_symbols(library):
    listing = subprocess.run(["nm", "-C", "--defined-only", library], capture_output=True, text=True,
                             check=True).stdout
    for line in listing.splitlines():
        fields = line.split(" ", 2)
        if len(fields) == 3 and fields[1] in WRITABLE and not fields[2].startswith(COMPILERS_OWN):
            yield fields[2]


def main(libraries):
    found = [(library, symbol) for library in libraries for symbol in writable_symbols(library)]
    for library, symbol in found:
        print("%s: writable %s" % (library, symbol))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
