#!/usr/bin/env python3
"""`719k report` on an archive of about 1,000,000 readings, timed from the
outside: a crew of four walking 200 locations and reading every 2 s
through 21 days (tests/report/survey_generator.h), stored by survey_archive
as one download per instrument and day. Prints the time and peak memory of
each run of the report, the page's size, and how long Chromium takes to
load and print it, with the printed pages.

    report_command_bench.py TREE [--runs N] [--work DIR]

TREE is a build tree (Release for figures) with 719k and survey_archive
built. The archive is kept in --work (default: a temporary folder) and
made again only when missing. Figures depend on what else the machine is
doing: the CPU time is printed beside the wall time.
"""

import argparse
import os
import resource
import subprocess
import tempfile
import time

DAYS = 21
SECONDS_BETWEEN_READINGS = 2
CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-pdf-header-footer"]


def children_cpu_s():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command):
    """(wall seconds, CPU seconds) of one run of the command."""
    cpu_before, started = children_cpu_s(), time.monotonic()
    subprocess.run(command, check=True, capture_output=True)
    return time.monotonic() - started, children_cpu_s() - cpu_before


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tree")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="report_command_bench_")
    archive = os.path.join(work, "million.sqlite")
    page = os.path.join(work, "million.html")
    if not os.path.exists(archive):
        wall, _ = timed([os.path.join(args.tree, "tests", "report", "survey_archive"), "generated", str(DAYS),
                         str(SECONDS_BETWEEN_READINGS), archive])
        print("archive written in %.1f s: %s" % (wall, archive))

    report = [os.path.join(args.tree, "cli", "719k"), "--archive", archive, "report", "-o", page]
    for run in range(args.runs):
        wall, cpu = timed(report)
        # ru_maxrss of the children is the largest of them so far, in KiB on Linux.
        peak_mb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
        print("719k report, run %d: %.2f s wall, %.2f s CPU, peak memory %.0f MB" % (run + 1, wall, cpu, peak_mb))
    print("page: %.2f MB" % (os.path.getsize(page) / 1e6))

    pdf = os.path.join(work, "million.pdf")
    wall, _ = timed(CHROMIUM + ["--user-data-dir=" + os.path.join(work, "profile"), "--print-to-pdf=" + pdf,
                                "file://" + page])
    pages = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True, text=True).stdout
    pages = next(line.split()[-1] for line in pages.splitlines() if line.startswith("Pages:"))
    print("Chromium loaded and printed it in %.1f s: %s pages, %.1f MB of PDF" % (wall, pages,
                                                                                  os.path.getsize(pdf) / 1e6))


if __name__ == "__main__":
    main()
