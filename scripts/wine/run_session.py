#!/usr/bin/env python3
"""The main job after the build: the program under Wine with an instrument on
COM1, shown on the current display or driven through a short session.

How it works: COM1 leads to instrument-sim (serving a copy of the sample
instrument on a pty) or to a real serial device; COM2 to COM9 lead to a
directory, so they fail to open and nothing reaches a serial device Wine
would find by itself. With a display the operator uses the program until
they close it. Without one (or with --unattended) an Xvfb display is
started and the automation program presses Connect, Get Config, Download
Log and Export Log; the exported file and a screenshot stay in the output
folder.

What it does not do: build anything (scripts/run does) or print.
"""

import argparse
import os
import shutil
import subprocess
import sys

import screen
import winebox
from automation_client import IDOK, Automation, ids
from progress import step
from sim_process import Simulator

OPERATION_TIMEOUT_S = 120
EXPORT_NAME = "export.csv"
SCREENSHOT_NAME = "screenshot.png"


def prepare_prefix(prefix, display):
    try:
        winebox.check_ports(prefix)
        step("using the Wine prefix " + prefix)
    except (RuntimeError, OSError):
        step("making a Wine prefix (about 15 s): " + prefix)
        winebox.make_prefix(prefix, display)


def wait_idle(ui, condition, what):
    ui.wait_until(condition, OPERATION_TIMEOUT_S, what=what)
    step(what + ": " + ui.text(ids.IDC_STATUS))


def unattended_session(ui, out_dir, display):
    ui.click(ids.IDC_CONNECT)
    wait_idle(ui, lambda: ui.enabled(ids.IDC_DISCONNECT), "connected")
    step("firmware %s, clock %s" % (ui.text(ids.IDC_FIRMWARE), ui.text(ids.IDC_DATETIME)))

    ui.click(ids.IDC_GET_CONFIG)
    wait_idle(ui, lambda: ui.progress(ids.IDC_PROGRESS) == (80, 0, 80), "settings read")

    ui.click(ids.IDC_DOWNLOAD_LOG)
    wait_idle(ui, lambda: ui.enabled(ids.IDC_EXPORT_LOG) and ui.progress(ids.IDC_PROGRESS)[0] == 1000,
              "log downloaded")
    step("%d lines in the log list" % len(ui.list_items(ids.IDC_LOG_LIST)))

    export = os.path.join(out_dir, EXPORT_NAME)
    ui.click(ids.IDC_EXPORT_LOG)
    save_dialog = ui.wait_for_boxes(OPERATION_TIMEOUT_S)[0]
    ui.file_name(save_dialog, winebox.windows_path(export))
    ui.answer(save_dialog, IDOK)
    wait_idle(ui, lambda: os.path.exists(export) and ui.text(ids.IDC_STATUS) == "Connected", "log exported")

    screen.take(display, ui.window_rect(), os.path.join(out_dir, SCREENSHOT_NAME))
    ui.click(ids.IDC_QUIT)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--automation", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--device", help="a serial device for COM1 instead of the simulator")
    parser.add_argument("--unattended", action="store_true", help="drive a session even with a display")
    args = parser.parse_args()

    os.makedirs(args.out, exist_ok=True)
    xvfb = None
    display = os.environ.get("DISPLAY")
    unattended = args.unattended or not display
    if unattended:
        xvfb = winebox.Xvfb()
        display = xvfb.display
    simulator = None
    try:
        prepare_prefix(args.prefix, display)
        for number in range(2, winebox.PORT_COUNT + 1):
            winebox.unmap_port(args.prefix, number)
        if args.device:
            winebox.map_port(args.prefix, 1, args.device)
            step("COM1 is " + args.device)
        else:
            state = os.path.join(args.out, "instrument.txt")
            shutil.copyfile(args.sample, state)
            simulator = Simulator(args.sim, state)
            winebox.map_port(args.prefix, 1, simulator.pty)
            step("COM1 is instrument-sim on %s, instrument state in %s" % (simulator.pty, state))

        env = winebox.wine_env(args.prefix, display)
        # Wine's own remarks (WINEDEBUG=-all does not silence them all) go
        # to a file, not between the steps.
        wine_log = open(os.path.join(args.out, "wine.log"), "w")
        program = subprocess.Popen([winebox.WINE64, args.program], env=env, stdout=wine_log, stderr=wine_log)
        if unattended:
            ui = Automation(args.automation, env)
            try:
                ui.attach()
                unattended_session(ui, args.out, display)
            finally:
                ui.stop()
        else:
            step("the program is open on display %s; close it to end" % display)
        code = program.wait(timeout=OPERATION_TIMEOUT_S if unattended else None)
        wine_log.close()
        step("the program ended with exit code %d" % code)
        print("\nResults are in " + os.path.abspath(args.out))
        for name in sorted(os.listdir(args.out)):
            print("  " + name)
        return 0
    finally:
        winebox.kill_wineserver(args.prefix)
        if simulator:
            simulator.stop()
        if xvfb:
            xvfb.stop()


if __name__ == "__main__":
    sys.exit(main())
