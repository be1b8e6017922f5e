#!/usr/bin/env python3
"""A printer in a Wine prefix that captures every print job in a file, for
the end-to-end tests of Print Log.

How it works:
- The driver is Wine's built-in PostScript driver (wineps.drv) with the
  generic PPD that winspool.drv carries as a resource (type "PPDFILE", id 1),
  read here from the prefix's own copy of winspool.drv.
- The printer's default device mode asks for 600 dpi. The driver's own
  default is 300 dpi whatever the PPD's default resolution says; the
  program's layout is meant for a 600-dpi device, where its positions come
  out unscaled.
- The printer sits on a port of its own name. Wine's spooler looks a port
  that is neither "LPR:" nor "CUPS:" up in HKCU\\Software\\Wine\\Printing\\Spooler;
  a value "|command" makes it run the command with the finished job on its
  standard input at EndDoc. The command writes the job to a temporary name
  in the jobs folder and renames it, so a reader never sees half a job.
- Everything is written as registry keys and imported with Wine's regedit,
  the same keys that AddPrinterDriverEx and AddPrinter leave behind (driver,
  printer, the user's Devices and PrinterPorts entries, and the default
  printer), so no Windows helper program is needed. The printer becomes the
  default printer, which the print dialog offers first.

What it does not do: read the jobs (tests/e2e/printed_job.py does), or
install anything outside the prefix.
"""

import argparse
import os
import shlex
import struct
import subprocess
import sys
import tempfile

import winebox
from pe_image import PeImage

PRINTER_NAME = "Job Capture"
DRIVER_NAME = "Job Capture PostScript"
PORT_NAME = "JOBCAPTURE:"
RESOLUTION_DPI = 600
JOB_SUFFIX = ".ps"
REGEDIT_TIMEOUT_S = 120

_PPD_RESOURCE_TYPE = "PPDFILE"
_PPD_RESOURCE_ID = 1
# Where AddPrinterDriverEx puts a 64-bit driver's files; the driver's
# "Data File" value names the PPD relative to it.
_DRIVER_DIR = os.path.join("drive_c", "windows", "system32", "spool", "drivers", "x64", "3")
_PPD_FILE_NAME = "jobcapture.ppd"


# --- the generic PPD out of winspool.drv's resources ----------------------
def generic_ppd(prefix):
    path = os.path.join(prefix, "drive_c", "windows", "system32", "winspool.drv")
    with open(path, "rb") as image:
        return PeImage(image.read()).resource(_PPD_RESOURCE_TYPE, _PPD_RESOURCE_ID)


# --- the printer's default device mode -------------------------------------
# DEVMODEA as the PostScript driver keeps it in the printer's "Default
# DevMode" value: the public record (156 bytes) and the driver's 8 private
# bytes, all zero. The values are those the driver itself stores for the
# generic PPD (A4 portrait, one copy, colour, simplex), except the
# resolution.
_DEVMODE_LAYOUT = "<32sHHHHI13h32sH13I"
_DEVMODE_DRIVER_EXTRA = 8
_DEVMODE_FIELDS = [  # after the device name, in the record's order
    ("dmSpecVersion", 0x30A), ("dmDriverVersion", 1), ("dmSize", struct.calcsize(_DEVMODE_LAYOUT)),
    ("dmDriverExtra", _DEVMODE_DRIVER_EXTRA),
    # orientation, paper size, length and width, scale, copies, default
    # source, print quality, colour, duplex, y resolution, TrueType option,
    # collate, form name
    ("dmFields", 0x1FF1F),
    ("dmOrientation", 1), ("dmPaperSize", 9), ("dmPaperLength", 2970), ("dmPaperWidth", 2099), ("dmScale", 100),
    ("dmCopies", 1), ("dmDefaultSource", 7), ("dmPrintQuality", RESOLUTION_DPI), ("dmColor", 2), ("dmDuplex", 1),
    ("dmYResolution", RESOLUTION_DPI), ("dmTTOption", 3), ("dmCollate", 0), ("dmFormName", b"A4"),
]
_DEVMODE_ZERO_TAIL = 14  # dmLogPixels to dmPanningHeight: display fields, unused


def default_devmode():
    values = [value for _, value in _DEVMODE_FIELDS] + [0] * _DEVMODE_ZERO_TAIL
    return struct.pack(_DEVMODE_LAYOUT, PRINTER_NAME.encode("ascii"), *values) + bytes(_DEVMODE_DRIVER_EXTRA)


# --- the registry -----------------------------------------------------------
def _reg_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def _reg_value(value):
    if isinstance(value, int):
        return "dword:%08x" % value
    if isinstance(value, bytes):
        return "hex:" + ",".join("%02x" % byte for byte in value)
    return _reg_string(value)


def _reg_key(path, values):
    lines = ["[%s]" % path] + ["%s=%s" % (_reg_string(name), _reg_value(value)) for name, value in values]
    return "\n".join(lines) + "\n\n"


def capture_command(folder):
    """The shell command that Wine's spooler pipes each job into."""
    return 'part=$(mktemp %s/job-XXXXXX) && cat > "$part" && mv "$part" "$part%s"' % (
        shlex.quote(folder), JOB_SUFFIX)


def registry_text(folder):
    control = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print"
    user_nt = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion"
    driver_dll = "wineps.drv"
    return ("Windows Registry Editor Version 5.00\n\n" +
            _reg_key(control + "\\Environments\\Windows x64\\Drivers\\Version-3\\" + DRIVER_NAME, [
                ("Configuration File", driver_dll), ("Data File", _PPD_FILE_NAME), ("Datatype", "RAW"),
                ("Driver", driver_dll), ("Help File", ""), ("Monitor", ""), ("Version", 3)]) +
            _reg_key(control + "\\Printers\\" + PRINTER_NAME, [
                ("Attributes", 0), ("Datatype", "RAW"), ("Default DevMode", default_devmode()),
                ("Default Priority", 0), ("Name", PRINTER_NAME),
                ("Port", PORT_NAME), ("Print Processor", "WinPrint"), ("Printer Driver", DRIVER_NAME),
                ("Priority", 0), ("StartTime", 0), ("Status", 0), ("UntilTime", 0)]) +
            _reg_key(user_nt + "\\Devices", [(PRINTER_NAME, "%s,%s" % (driver_dll, PORT_NAME))]) +
            _reg_key(user_nt + "\\PrinterPorts", [(PRINTER_NAME, "%s,%s,15,45" % (driver_dll, PORT_NAME))]) +
            _reg_key(user_nt + "\\Windows", [("device", "%s,%s,%s" % (PRINTER_NAME, driver_dll, PORT_NAME))]) +
            _reg_key("HKEY_CURRENT_USER\\Software\\Wine\\Printing\\Spooler",
                     [(PORT_NAME, "|" + capture_command(folder))]))


def jobs_dir(prefix):
    """Where the printer's jobs land, one *.ps file each."""
    return os.path.join(os.path.abspath(prefix), "printed")


def install(prefix):
    """Adds the capturing printer to prefix as its default printer."""
    prefix = os.path.abspath(prefix)
    os.makedirs(jobs_dir(prefix), exist_ok=True)
    driver_dir = os.path.join(prefix, _DRIVER_DIR)
    os.makedirs(driver_dir, exist_ok=True)
    with open(os.path.join(driver_dir, _PPD_FILE_NAME), "wb") as ppd:
        ppd.write(generic_ppd(prefix))
    with tempfile.NamedTemporaryFile("w", suffix=".reg", dir=prefix, delete=False, encoding="utf-16") as reg:
        reg.write(registry_text(jobs_dir(prefix)))
    try:
        env = winebox.wine_env(prefix)
        subprocess.run([winebox.WINE64, "regedit", "/S", winebox.windows_path(reg.name)], env=env, check=True,
                       timeout=REGEDIT_TIMEOUT_S, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The registry reaches the prefix's files only when the server ends.
        subprocess.run([winebox.WINESERVER, "-w"], env=env, check=True, timeout=REGEDIT_TIMEOUT_S)
    finally:
        os.unlink(reg.name)
    # regedit /S reports nothing, not even a file it could not import.
    with open(os.path.join(prefix, "user.reg"), encoding="latin-1") as user:
        if '"%s"="|' % PORT_NAME not in user.read():
            raise RuntimeError("the printer's keys did not reach the registry of " + prefix)


def jobs(prefix):
    """The finished jobs of the printer, oldest first."""
    folder = jobs_dir(prefix)
    paths = [os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(JOB_SUFFIX)]
    return sorted(paths, key=os.path.getmtime)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("prefix")
    args = parser.parse_args()
    install(args.prefix)
    print("printer %r on %s: jobs go to %s" % (PRINTER_NAME, PORT_NAME, jobs_dir(args.prefix)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
