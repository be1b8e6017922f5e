#!/usr/bin/env python3
"""The guide's picture of a survey report (docs/images/report.png), made
the way an operator makes one: the native 719k downloads the sample
instrument's log from instrument-sim on a pseudo-terminal into a CSV file,
719k report makes the page from it, and headless Chromium takes the
picture of its top: the heading and the summary with its bars.

Run by scripts/screenshots after the dialog's pictures; it needs no Wine.

What it does not do: build anything, or check the page (the report tests
do that).
"""

import argparse
import os
import shutil
import subprocess
import tempfile

# The sample's alarm setting: a CSV file records none, so it is given.
LEAK_PPM = "50"
TITLE = "Survey of 23 May 2008"
CSV_NAME = "survey-2008-05-23.csv"
WINDOW_SIZE = "1100,1250"
RUN_TIMEOUT_S = 120
CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--hide-scrollbars"]


def step(text):
    print("-- " + text, flush=True)


def run(*command, cwd=None):
    subprocess.run(command, check=True, timeout=RUN_TIMEOUT_S, stdout=subprocess.DEVNULL, cwd=cwd)


def download_sample_log(sim, cli, sample, work):
    """The sample instrument's log, as 719k log download writes it."""
    state = shutil.copy(sample, os.path.join(work, "instrument.txt"))
    simulator = subprocess.Popen([sim, "--state", state], stdout=subprocess.PIPE, text=True)
    try:
        pty = simulator.stdout.readline().strip()
        run(cli, "--quiet", "--port", pty, "log", "download", "-o", CSV_NAME, cwd=work)
    finally:
        simulator.terminate()
        simulator.wait(timeout=RUN_TIMEOUT_S)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", required=True)
    parser.add_argument("--cli", required=True, help="the native 719k")
    parser.add_argument("--sample", required=True)
    parser.add_argument("--picture", required=True)
    args = parser.parse_args()
    for name in ("sim", "cli", "sample", "picture"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    with tempfile.TemporaryDirectory(prefix="report_picture_") as work:
        step("downloading the sample log with 719k")
        download_sample_log(args.sim, args.cli, args.sample, work)
        step("making the report")
        # Run in the work folder, so that the page names the file as an operator would.
        run(args.cli, "--quiet", "report", CSV_NAME, "--leak-ppm", LEAK_PPM, "--title", TITLE, "-o", "report.html",
            cwd=work)
        page = os.path.join(work, "report.html")
        step("taking its picture with Chromium")
        run(*CHROMIUM, "--user-data-dir=" + os.path.join(work, "profile"), "--window-size=" + WINDOW_SIZE,
            "--screenshot=" + args.picture, "file://" + page)
    print(args.picture)


if __name__ == "__main__":
    main()
