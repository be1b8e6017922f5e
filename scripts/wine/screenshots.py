#!/usr/bin/env python3
"""Every picture of the operator's guide (docs/images) and the README's
picture (docs/screenshot.png), taken from the program under Wine against
instrument-sim.

How it works: a fresh Wine prefix with the job-capturing printer of
scripts/wine/printer.py, and one run of the program on a virtual display
whose middle falls on the dialog: Wine centres every box on the screen, so
each box covers the middle of its owner, as over a window in the middle of
a desktop. COM1 leads to one simulator after another, each serving a copy
of tools/sample_instrument.txt (its clock and log fixed, so the pictures
come out the same each time). Each state is reached the way an operator
reaches it, by the dialog's own buttons, with --paced where a download
has to be seen running. The faults come from the simulator's knobs
(--drop-order-closing), from ending the simulator under the program as a
pulled cable would, and from the world outside the program: a port that
will not open, a folder that does not exist, a full disk (/dev/full), a
spooler that cannot store the job.

What it does not do: build anything (scripts/screenshots does), or check
the states it shows beyond waiting for them; the end-to-end tests do that.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

import printer
import screen
import winebox
from automation_client import IDCANCEL, IDNO, IDOK, IDYES, Automation, ids
from progress import step
from sim_process import Simulator

# Wide and high enough for the dialog at the screen's top left, small
# enough that the screen's middle lies on it.
SCREEN_SIZE = (1024, 640)
OPERATION_TIMEOUT_S = 120
BOX_TIMEOUT_S = 60
# Time for Wine to paint what changed before a picture is taken.
PAINT_S = 0.7
# Lines of the paced download before its picture: the button says Cancel.
LINES_BEFORE_RUNNING_SHOT = 12
# Lines received before the simulator goes, for the incomplete download.
LINES_BEFORE_PULLED_CABLE = 14
# Settings read before the simulator goes: Get Config steps 10 a setting.
PROGRESS_BEFORE_PULLED_CABLE = 40
# The height of one item of the port selector's dropped-down list, and a
# margin round the cut-out of a part of the dialog.
DROP_DOWN_ITEM_PX = 13
MARGIN_PX = 8

# The folder where Wine's spooler keeps each job while it is printed.
SPOOL_DIR = os.path.join("drive_c", "windows", "system32", "spool", "printers")
REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


class Session:
    """The program, its display, the automation and the simulators."""

    def __init__(self, args, xvfb):
        self.args = args
        self.display = xvfb.display
        self.work = os.path.join(args.work, "files")
        os.makedirs(self.work, exist_ok=True)
        self.env = winebox.wine_env(args.prefix, self.display)
        self.simulator = None
        self.program = None
        self.wine_log = None
        self.ui = None
        self.mouse = screen.Mouse(self.display)

    # --- the instrument on COM1 --------------------------------------------
    def plug_in(self, *options):
        """A fresh simulated instrument with the sample state on COM1."""
        self.pull_cable()
        state = os.path.join(self.work, "instrument.txt")
        shutil.copyfile(self.args.sample, state)
        self.simulator = Simulator(self.args.sim, state, options)
        winebox.map_port(self.args.prefix, 1, self.simulator.pty)

    def pull_cable(self):
        """Ends the simulator: the program's next read or write on the port fails."""
        if self.simulator:
            self.simulator.stop()
            self.simulator = None

    # --- the program --------------------------------------------------------
    def start_program(self):
        # Wine's own remarks go to a file, not between the steps.
        self.wine_log = open(os.path.join(self.args.work, "wine.log"), "w")
        self.program = subprocess.Popen([winebox.WINE64, self.args.program], env=self.env, stdout=self.wine_log,
                                        stderr=self.wine_log)
        self.ui = Automation(self.args.automation, self.env)
        self.ui.attach()

    def stop(self):
        if self.ui:
            self.ui.stop()
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        if self.wine_log:
            self.wine_log.close()
        self.pull_cable()
        self.mouse.close()

    def press(self, button, empty_status=True):
        """Presses a dialog button. The status bar is emptied first and the
        operation writes its own texts there, so that "Connected" afterwards
        means that it has ended."""
        if empty_status:
            self.ui.set_text(ids.IDC_STATUS, "")
        self.ui.click(button)

    def wait_for(self, condition, what, timeout_s=OPERATION_TIMEOUT_S):
        self.ui.wait_until(condition, timeout_s, what=what)

    def wait_until_connected(self, what):
        self.wait_for(lambda: self.ui.text(ids.IDC_STATUS) == "Connected", what)

    def box(self, caption):
        """The one box shown, which must carry this caption."""
        boxes = self.ui.wait_for_boxes(BOX_TIMEOUT_S)
        if [box.caption for box in boxes] != [caption]:
            raise RuntimeError("expected the box %r, found %r" % (caption, boxes))
        return boxes[0]

    # --- pictures -----------------------------------------------------------
    def picture(self, name, rect):
        time.sleep(PAINT_S)
        path = os.path.join(self.args.images, name + ".png")
        screen.take(self.display, rect, path)
        step("%s (%d bytes)" % (os.path.relpath(path, REPO), os.path.getsize(path)))
        return path

    def dialog_picture(self, name):
        return self.picture(name, self.ui.window_rect())

    def box_picture(self, name, box, with_owner=False):
        rect = self.ui.box_rect(box)
        if with_owner:
            rect = screen.union(rect, self.ui.window_rect())
        return self.picture(name, rect)

    def click_control(self, control_id):
        left, top, right, bottom = self.ui.screen_rect(control_id)
        self.mouse.click((left + right) // 2, (top + bottom) // 2)


# --- the states, in the order the run reaches them -------------------------
def about_box(session):
    # Under Wine without a window manager the dialog is the active window
    # from the start, yet its caption is painted in the inactive colours
    # until it is activated again; closing a box it owns does that, and from
    # then on it looks as on Windows.
    session.press(ids.IDC_ABOUT, empty_status=False)
    box = session.box("About TARVELL 719K")
    session.box_picture("about", box)
    session.ui.answer(box, IDOK)


def port_list(session):
    """The selector dropped down by a click, a USB adapter's COM12 chosen."""
    ui = session.ui
    choices = ui.combo_items(ids.IDC_PORT)
    ui.select(ids.IDC_PORT, choices.index("COM%d" % winebox.HIGH_PORT))
    session.click_control(ids.IDC_PORT)
    window = ui.window_rect()
    group = ui.screen_rect(ids.IDC_GROUP_INFORMATION)
    list_bottom = ui.screen_rect(ids.IDC_PORT)[3] + len(choices) * DROP_DOWN_ITEM_PX
    session.picture("port-list", (window[0], window[1], group[2] + MARGIN_PX,
                                  max(group[3], list_bottom) + MARGIN_PX))
    session.click_control(ids.IDC_PORT)
    ui.select(ids.IDC_PORT, choices.index("COM1"))


def connect(session):
    session.press(ids.IDC_CONNECT)
    session.wait_for(lambda: session.ui.enabled(ids.IDC_DISCONNECT), "connected")


def disconnect(session):
    session.press(ids.IDC_DISCONNECT, empty_status=False)
    session.wait_for(lambda: session.ui.enabled(ids.IDC_CONNECT), "disconnected")


def main_states(session):
    """Connect, Get Config and Download Log on a paced instrument."""
    ui = session.ui
    session.plug_in("--paced")
    connect(session)
    session.dialog_picture("connected")

    session.press(ids.IDC_GET_CONFIG)
    session.wait_for(lambda: ui.progress(ids.IDC_PROGRESS) == (80, 0, 80), "settings read")
    session.dialog_picture("settings")

    session.press(ids.IDC_DOWNLOAD_LOG)
    session.wait_for(lambda: ui.text(ids.IDC_DOWNLOAD_LOG) == "Cancel"
                     and ui.progress(ids.IDC_PROGRESS)[0] >= LINES_BEFORE_RUNNING_SHOT, "download running")
    session.dialog_picture("download-running")
    session.wait_until_connected("log downloaded")
    shown = session.dialog_picture("downloaded")
    shutil.copyfile(shown, session.args.readme_picture)
    step("%s: the same picture" % os.path.relpath(session.args.readme_picture, REPO))


def export_to(session, path):
    """Export Log with this path typed into the save dialog."""
    session.press(ids.IDC_EXPORT_LOG)
    save_dialog = session.box("Save As")
    session.ui.file_name(save_dialog, winebox.windows_path(path))
    session.ui.answer(save_dialog, IDOK)


def export_boxes(session):
    ui = session.ui
    existing = os.path.join(session.work, "survey.txt")
    with open(existing, "w") as survey:
        survey.write("an earlier export\n")
    export_to(session, existing)
    question = session.box("Warning")
    session.box_picture("overwrite-question", question)
    ui.answer(question, IDNO)
    ui.answer(session.box("Save As"), IDCANCEL)
    session.wait_until_connected("export cancelled")

    export_to(session, os.path.join(session.work, "no such folder", "survey.txt"))
    box = session.box("File Access Error")
    session.box_picture("cannot-create-file", box)
    ui.answer(box, IDOK)
    session.wait_until_connected("export given up")

    # A file on a full disk: it exists, so the overwrite question comes
    # first, and every write to it fails.
    full_disk = os.path.join(session.work, "full-disk.txt")
    if not os.path.lexists(full_disk):
        os.symlink("/dev/full", full_disk)
    export_to(session, full_disk)
    ui.answer(session.box("Warning"), IDYES)
    box = session.box("File Access Error")
    session.box_picture("cannot-write-file", box)
    ui.answer(box, IDOK)
    session.wait_until_connected("export failed")


def access_level_box(session):
    session.ui.set_text(ids.IDC_ACCESS_LEVEL, "4")
    session.press(ids.IDC_SAVE_CONFIG)
    box = session.box("Input Error")
    session.box_picture("access-level-error", box)
    session.ui.answer(box, IDOK)
    session.wait_for(lambda: session.ui.progress(ids.IDC_PROGRESS) == (80, 0, 80)
                     and session.ui.text(ids.IDC_STATUS) == "Connected", "settings written and read back")


def erase_question(session):
    session.press(ids.IDC_ERASE_DATA, empty_status=False)
    box = session.box("Erase Instrument Data")
    session.box_picture("erase-question", box, with_owner=True)
    session.ui.answer(box, IDNO)


def print_error(session):
    """Print Log on a printer whose spooler cannot store the job."""
    spool = os.path.join(session.args.prefix, SPOOL_DIR)
    os.rename(spool, spool + ".away")
    try:
        open(spool, "w").close()
        session.press(ids.IDC_PRINT_LOG)
        session.ui.answer(session.box("Print"), IDOK)
        box = session.box("Print Error")
        session.box_picture("print-error", box)
        session.ui.answer(box, IDOK)
        session.wait_until_connected("printing failed")
    finally:
        os.unlink(spool)
        os.rename(spool + ".away", spool)


def erase_not_confirmed(session):
    """An instrument that erases but never confirms it."""
    disconnect(session)
    session.plug_in("--drop-order-closing", "1")
    connect(session)
    session.press(ids.IDC_ERASE_DATA, empty_status=False)
    session.ui.answer(session.box("Erase Instrument Data"), IDYES)
    box = session.box("Communications Error")
    session.box_picture("erase-not-confirmed", box)
    session.ui.answer(box, IDOK)


def download_incomplete(session):
    """The cable pulled in the middle of a download."""
    ui = session.ui
    disconnect(session)
    session.plug_in()
    connect(session)
    session.press(ids.IDC_GET_CONFIG)
    session.wait_until_connected("settings read")
    session.press(ids.IDC_DOWNLOAD_LOG)
    session.wait_for(lambda: ui.progress(ids.IDC_PROGRESS)[0] >= LINES_BEFORE_PULLED_CABLE, "download running")
    session.pull_cable()
    box = session.box("Communications Error")
    session.box_picture("download-incomplete", box, with_owner=True)
    ui.answer(box, IDOK)


def settings_not_read(session):
    """The cable pulled in the middle of Get Config."""
    disconnect(session)
    session.plug_in("--paced")
    connect(session)
    session.press(ids.IDC_GET_CONFIG)
    session.wait_for(lambda: session.ui.progress(ids.IDC_PROGRESS)[0] >= PROGRESS_BEFORE_PULLED_CABLE,
                     "settings being read")
    session.pull_cable()
    box = session.box("Communications Error")
    session.box_picture("settings-not-read", box, with_owner=True)
    session.ui.answer(box, IDOK)


def connect_failures(session):
    """Connect on a port that will not open: both boxes, one after the other."""
    disconnect(session)
    winebox.unmap_port(session.args.prefix, 1)
    session.press(ids.IDC_CONNECT)
    box = session.box("Error")
    session.box_picture("port-unavailable", box)
    session.ui.answer(box, IDOK)
    box = session.box("Communications Error")
    session.box_picture("connect-communications-error", box)
    session.ui.answer(box, IDOK)
    session.wait_for(lambda: session.ui.enabled(ids.IDC_CONNECT), "connect failed")


STATES = [about_box, port_list, main_states, export_boxes, access_level_box, erase_question, print_error,
          erase_not_confirmed, settings_not_read, download_incomplete, connect_failures]


def prepare_prefix(prefix, display):
    step("making a Wine prefix with a printer (about 20 s): " + prefix)
    winebox.make_prefix(prefix, display)
    printer.install(prefix)
    for number in winebox.MAPPED_PORTS:
        winebox.unmap_port(prefix, number)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--automation", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--work", required=True, help="the prefix and the files of the run go here")
    parser.add_argument("--images", required=True, help="the guide's pictures go here")
    parser.add_argument("--readme-picture", required=True)
    args = parser.parse_args()
    args.prefix = os.path.join(os.path.abspath(args.work), "wineprefix")
    shutil.rmtree(os.path.join(args.work, "files"), ignore_errors=True)
    os.makedirs(args.images, exist_ok=True)

    started = time.monotonic()
    with winebox.Xvfb(*SCREEN_SIZE) as xvfb:
        prepare_prefix(args.prefix, xvfb.display)
        session = Session(args, xvfb)
        try:
            session.start_program()
            for state in STATES:
                state(session)
            session.press(ids.IDC_QUIT, empty_status=False)
            session.program.wait(timeout=OPERATION_TIMEOUT_S)
        finally:
            session.stop()
            winebox.kill_wineserver(args.prefix)
    step("done in %.0f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
