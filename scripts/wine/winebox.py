#!/usr/bin/env python3
"""A private 64-bit Wine prefix and an Xvfb display for running the Windows build.

How it works:
- make_prefix() seeds the prefix's registry before its first boot: COM1 to
  COM9 and COM12 (a port that opens only through the device namespace) are
  mapped (HKLM\\Software\\Wine\\Ports) to symlinks inside the prefix,
  and HKCU\\Software\\Wine\\X11 Driver "Managed" is "N". Seeding before the
  boot matters: Wine hands every serial device it finds by itself (here
  /dev/ttyS0, the system console) the first COM number that is not mapped, and
  it does so already during the first boot.
- Each port symlink points either at a pty (an instrument simulator) or at
  the directory ports/unavailable, on which CreateFileA fails as it does for
  a port held by another program. Wine follows the symlink at every open, so
  re-pointing it takes effect without restarting anything.
- After the boot, make_prefix() puts Wine's Marlett font into the prefix's
  Fonts folder, so that the caption buttons are drawn as on Windows.
- Xvfb picks a free display number itself (-displayfd), so several test runs
  can share the machine.

What it does not do: install Wine, or run more than one wineserver per
prefix. Callers kill the prefix's processes (kill_wineserver) between tests.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

from child_process import die_with_parent, stop_process

WINE64 = "/usr/lib/wine/wine64"  # the plain `wine` wrapper fails on these machines
WINESERVER = "/usr/lib/wine/wineserver"
PORT_COUNT = 9
# Above COM9 a port opens only as \\.\COMn. Wine gives the first number left
# unmapped, COM10, to the serial device it finds by itself (here the system
# console): no test ever connects to it.
HIGH_PORT = 12
MAPPED_PORTS = tuple(range(1, PORT_COUNT + 1)) + (HIGH_PORT,)
UNAVAILABLE_DIR = "unavailable"
BOOT_TIMEOUT_S = 180
# Wine's own fonts as Debian's fonts-wine installs them.
WINE_FONTS_DIR = "/usr/share/wine/fonts"
CAPTION_BUTTON_FONT = "marlett.ttf"


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": os.path.abspath(prefix),
        "WINEARCH": "win64",
        "WINEDEBUG": "-all",
        # No Mono or Gecko installer prompts.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    })
    if display is not None:
        env["DISPLAY"] = display
    return env


def windows_path(unix_path):
    """The path as a program under Wine names it (drive Z: is the Unix root)."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def port_link(prefix, number):
    return os.path.join(os.path.abspath(prefix), "ports", "com%d" % number)


def map_port(prefix, number, target):
    """Points COM<number> at target (a pty, a device, or a directory)."""
    link = port_link(prefix, number)
    temporary = link + ".new"
    if os.path.lexists(temporary):
        os.unlink(temporary)
    os.symlink(target, temporary)
    os.replace(temporary, link)


def unmap_port(prefix, number):
    """Makes every open of COM<number> fail."""
    map_port(prefix, number, UNAVAILABLE_DIR)


def _seed_registry(prefix):
    ports = "".join('"COM%d"="%s"\n' % (n, port_link(prefix, n)) for n in MAPPED_PORTS)
    with open(os.path.join(prefix, "system.reg"), "w") as machine:
        machine.write("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
                      "#arch=win64\n\n[Software\\\\Wine\\\\Ports]\n" + ports)
    # Without a window manager, Wine otherwise waits about 2 s each time a
    # window is hidden (every closed message box).
    with open(os.path.join(prefix, "user.reg"), "w") as user:
        user.write("WINE REGISTRY Version 2\n"
                   ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                   "#arch=win64\n\n[Software\\\\Wine\\\\X11 Driver]\n\"Managed\"=\"N\"\n")


def check_ports(prefix):
    """Raises unless every mapped port leads into the prefix's own port links."""
    for n in MAPPED_PORTS:
        device = os.path.join(prefix, "dosdevices", "com%d" % n)
        if not os.path.islink(device) or os.readlink(device) != port_link(prefix, n):
            raise RuntimeError("COM%d of %s is not mapped to its port link" % (n, prefix))


def install_caption_button_font(prefix):
    """Copies Marlett, the font of the caption buttons' glyphs, into the
    prefix's C:\\windows\\Fonts.

    Wine draws the minimise, maximise and close buttons as the characters
    "0", "1" and "r" of Marlett, and looks for its own fonts in
    C:\\windows\\Fonts and in a folder of its data directory. Debian's
    Wine 8 names that folder "\\../fonts" (WINEDEBUG=+file shows the path
    "usr\\share\\wine\\../fonts\\..." not found), while fonts-wine installs
    the fonts in /usr/share/wine/fonts, outside fontconfig's folders on
    purpose, and wineboot copies none of them: the buttons then come out as
    those three letters in a stand-in font. Marlett alone is copied, so that
    every other font stays as the tests know it.
    """
    source = os.path.join(WINE_FONTS_DIR, CAPTION_BUTTON_FONT)
    if not os.path.isfile(source):
        raise RuntimeError("%s is missing: install the Debian package fonts-wine" % source)
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    shutil.copyfile(source, os.path.join(fonts, CAPTION_BUTTON_FONT))


def make_prefix(prefix, display=None):
    """Creates a fresh prefix at prefix (removing an old one)."""
    prefix = os.path.abspath(prefix)
    if os.path.exists(prefix):
        kill_wineserver(prefix)
        shutil.rmtree(prefix)
    os.makedirs(os.path.join(prefix, "ports", UNAVAILABLE_DIR))
    for n in MAPPED_PORTS:
        unmap_port(prefix, n)
    _seed_registry(prefix)
    env = wine_env(prefix, display)
    subprocess.run([WINE64, "wineboot", "-i"], env=env, check=True, timeout=BOOT_TIMEOUT_S,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-w"], env=env, check=True, timeout=BOOT_TIMEOUT_S)
    check_ports(prefix)
    # Wine reads the Fonts folder afresh in the next session, which starts
    # with the next program.
    install_caption_button_font(prefix)


def kill_wineserver(prefix):
    """Ends every Wine process of the prefix and waits for the server to go."""
    env = wine_env(prefix)
    subprocess.run([WINESERVER, "-k"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    subprocess.run([WINESERVER, "-w"], env=env, check=False, timeout=60)


class Xvfb:
    """An Xvfb server on a display number of its own choosing."""

    def __init__(self, width=1280, height=1024):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def stop(self):
        stop_process(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    make = commands.add_parser("make-prefix", help="create a fresh prefix")
    make.add_argument("prefix")
    mapping = commands.add_parser("map-port", help="point COM<n> at a pty or device")
    mapping.add_argument("prefix")
    mapping.add_argument("number", type=int, choices=MAPPED_PORTS)
    mapping.add_argument("target")
    kill = commands.add_parser("kill", help="end every Wine process of the prefix")
    kill.add_argument("prefix")
    args = parser.parse_args()

    if args.command == "make-prefix":
        started = time.monotonic()
        with Xvfb() as xvfb:
            make_prefix(args.prefix, xvfb.display)
        print("prefix ready in %.0f s: %s" % (time.monotonic() - started, args.prefix))
    elif args.command == "map-port":
        map_port(args.prefix, args.number, os.path.abspath(args.target))
    elif args.command == "kill":
        kill_wineserver(args.prefix)
    return 0


if __name__ == "__main__":
    sys.exit(main())
