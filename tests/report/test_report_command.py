"""`719k report` as a user runs it: the sample instrument's log as its CSV
export and as an archive holding that log's download, events and settings
(tests/report/survey_archive.cpp), reported with and without filters; what
it refuses and with which exit code; and --open with a stand-in for the
desktop's opener.

Run by ctest (label "report"), in a time zone with summer time, so that
the events (UTC in the archive) and the readings (local) meet only when
the program converts by the date's own offset."""

import os
import re
import stat
import tempfile
import unittest

from report_runs import (SAMPLE_ALARM_PPM, Sections, page_sections, report, sample_log, write_sample_archive,
                         write_sample_csv)

ARROW = "\u2192"


def sample_readings():
    """The sample log's readings as (instrument, user, location, local ISO time)."""
    readings = []
    instrument = user = ""
    for line in sample_log():
        if line.startswith(" I"):
            instrument = line[17:]
        elif line.startswith(" U"):
            user = line[17:]
        elif not line.startswith(" "):
            date, time = line[0:8], line[9:13]
            iso = "20%s-%s-%sT%s:%s" % (date[6:8], date[0:2], date[3:5], time[0:2], time[2:4])
            readings.append((instrument.strip(" "), user.strip(" "), line[16:22].strip(" "), iso))
    return readings


def data_rows(section):
    return section["rows"][1:]


class ReportCommand(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="report_command_")
        cls.csv = write_sample_csv(cls.path("sample.csv"))
        cls.archive = write_sample_archive(cls.path("sample.sqlite"))

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder.name, name)

    def archive_page(self, *options):
        page = self.path("archive.html")
        run = report("--archive", self.archive, "report", "-o", page, *options)
        self.assertEqual(run.returncode, 0, run.stderr)
        return page_sections(page)

    def test_csv_export_and_archive_of_one_log_give_the_same_page_under_each_filter(self):
        filters = [
            ([], lambda r: True),
            (["--location", "A00017"], lambda r: r[2] == "A00017"),
            (["--user", "000000057"], lambda r: r[1] == "000000057"),
            (["--since", "2008-05-23 15:00", "--until", "2008-05-23 16:05"],
             lambda r: "2008-05-23T15:00" <= r[3] <= "2008-05-23T16:05"),
            (["--instrument", "000999"], lambda r: False),
        ]
        for options, admitted in filters:
            with self.subTest(filters=options):
                # The CSV report on standard output, the archive's in a file.
                run = report("report", self.csv, "--leak-ppm", str(SAMPLE_ALARM_PPM), "--title", "North, May",
                             *options)
                self.assertEqual(run.returncode, 0, run.stderr)
                from_csv = Sections(run.stdout.decode("utf-8")).sections
                self.assertIn("North, May", from_csv["header"]["text"])
                from_archive = self.archive_page(*options)
                expected = len([reading for reading in sample_readings() if admitted(reading)])
                self.assertEqual(len(data_rows(from_csv["readings"])), expected)
                self.assertIn(b"report of %d readings" % expected, run.stderr)
                # The archive's threshold is the alarm recorded with the download.
                for section in ("summary", "leaks", "operators", "readings"):
                    self.assertEqual(from_csv[section]["rows"], from_archive[section]["rows"], section)

    def test_archive_shows_the_instrument_as_recorded_and_its_events_of_the_period_in_local_time(self):
        clock_set = ["2008-05-23 15:58", "000123", "clock set", "05/23/08 1559 %s 05/23/08 1558" % ARROW]
        user_changed = ["2008-05-23 16:00", "000123", "settings changed", "user id 000000042 %s 000000057" % ARROW]
        erased = ["2008-05-23 17:05", "000123", "log erased", "readings erased: 38, all archived: yes"]
        # The readings run from 14:32 to 16:54; another instrument's event
        # and the collect are never shown.
        for options, events in (([], [clock_set, user_changed]),
                                (["--until", "2008-05-23 17:10"], [clock_set, user_changed, erased]),
                                (["--since", "2008-05-23 16:00"], [user_changed]),
                                (["--location", "A00017"], []),
                                (["--instrument", "000999"], [])):
            with self.subTest(options=options):
                self.assertEqual(data_rows(self.archive_page(*options)["events"]), events)
        self.assertEqual(data_rows(self.archive_page()["header"]), [["000123", "3.1", "0100", "1.00", "0050"]])

        run = report("report", self.csv)
        self.assertIn("recorded only in an archive", Sections(run.stdout.decode("utf-8")).sections["events"]["text"])

    def test_refusals_exit_with_their_code_before_reading_and_leave_every_file_as_it_was(self):
        missing = self.path("missing.sqlite")
        not_an_archive = self.path("notes.sqlite")
        with open(not_an_archive, "w") as notes:
            notes.write("not an archive\n")
        other_header = self.path("settings.csv")
        with open(other_header, "w") as other:
            other.write("Setting,Value\r\nalarm,0050\r\n")
        page = self.path("kept.html")
        cases = [
            ("-o is checked first", ["--archive", missing, "report", "-o", self.path("no/such/r.html")], 2,
             "no such folder"),
            ("a missing archive", ["--archive", missing, "report", "-o", page], 4, "missing.sqlite"),
            ("not an archive", ["--archive", not_an_archive, "report", "-o", page], 4, "is not a survey archive"),
            ("a file with another header", ["report", self.csv, other_header, "-o", page], 2,
             "settings.csv is not an export of readings"),
            ("a date that is none", ["report", self.csv, "--since", "2008-13-01", "-o", page], 2, "is no date"),
            ("--open without a file", ["report", self.csv, "--open"], 2, "--open needs -o FILE"),
        ]
        for name, arguments, exit_code, message in cases:
            with self.subTest(name):
                with open(page, "w") as old:
                    old.write("the old page")
                run = report(*arguments)
                self.assertEqual(run.returncode, exit_code, run.stderr)
                self.assertIn(message, run.stderr.decode())
                self.assertEqual(run.stdout, b"")
                with open(page) as kept:
                    self.assertEqual(kept.read(), "the old page")
        self.assertFalse(os.path.exists(missing))
        with open(not_an_archive) as notes:
            self.assertEqual(notes.read(), "not an archive\n")


class OpenInBrowser(unittest.TestCase):
    """--open with an xdg-open of the test's own on PATH, which keeps a copy
    of the file it is given: the page was whole when it was opened."""

    OPENER = "#!/bin/sh\necho \"$1\" > \"%(folder)s/argument\"\ncp \"$1\" \"%(folder)s/opened.html\"\nexit %(code)d\n"

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory(prefix="report_open_")
        self.csv = write_sample_csv(os.path.join(self.folder.name, "sample.csv"))

    def tearDown(self):
        self.folder.cleanup()

    def run_with_opener(self, exit_code):
        """The report's run and its file, with an opener that exits with
        exit_code (None: no opener on PATH)."""
        bin_folder = os.path.join(self.folder.name, "bin%s" % exit_code)
        os.makedirs(bin_folder)
        if exit_code is not None:
            opener = os.path.join(bin_folder, "xdg-open")
            with open(opener, "w") as script:
                script.write(self.OPENER % {"folder": self.folder.name, "code": exit_code})
            os.chmod(opener, stat.S_IRWXU)
        environment = dict(os.environ, PATH=bin_folder + ("" if exit_code is None else ":/usr/bin:/bin"))
        # A relative -o: the opener is given the absolute path.
        run = report("report", "sample.csv", "--leak-ppm", "50", "-o", "page.html", "--open", env=environment,
                     cwd=self.folder.name)
        return run, os.path.join(self.folder.name, "page.html")

    def test_the_written_page_is_handed_over_by_its_absolute_path_and_a_failed_opener_is_only_told(self):
        run, page = self.run_with_opener(0)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertNotIn(b"did not open", run.stderr)
        with open(os.path.join(self.folder.name, "argument")) as argument:
            self.assertEqual(os.path.realpath(argument.read().strip()), os.path.realpath(page))
        with open(page, "rb") as written, open(os.path.join(self.folder.name, "opened.html"), "rb") as opened:
            self.assertEqual(opened.read(), written.read())

        for exit_code, reason in ((3, "xdg-open failed (exit code 3)"), (None, "xdg-open could not be started")):
            with self.subTest(opener_exit_code=exit_code):
                os.remove(page)
                run, page = self.run_with_opener(exit_code)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertRegex(run.stderr.decode(), re.escape("the report is written, but page.html did not open: " +
                                                                reason))
                self.assertTrue(os.path.getsize(page) > 0)


if __name__ == "__main__":
    unittest.main()
