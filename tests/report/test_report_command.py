"""`719k report` as a user runs it: the sample instrument's log as its CSV
export and as an archive holding that log's download, events and settings
(tests/report/survey_archive.cpp), reported with and without filters; what
it refuses and with which exit code; and --open with a stand-in for the
desktop's opener.

Run by ctest (label "report"), in a time zone with summer time, so that
the events (UTC in the archive) and the readings (local) meet only when
the program converts by the date's own offset."""

import os
import stat
import tempfile
import unittest

from report_runs import (SAMPLE_ALARM_PPM, page_sections, report, sections_of, write_sample_archive,
                         write_sample_csv)

ARROW = "\u2192"


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
        # The readings of tools/sample_instrument.txt that each filter keeps.
        filters = [
            ([], 38),
            (["--location", "A00017"], 6),
            (["--user", "000000057"], 14),  # the second session
            (["--since", "2008-05-23 15:00", "--until", "2008-05-23 16:05"], 17),
            (["--instrument", "000999"], 0),
        ]
        for options, expected in filters:
            with self.subTest(filters=options):
                # The CSV report on standard output, the archive's in a file.
                run = report("report", self.csv, "--leak-ppm", str(SAMPLE_ALARM_PPM), "--title", "North, May",
                             *options)
                self.assertEqual(run.returncode, 0, run.stderr)
                from_csv = sections_of(run.stdout.decode("utf-8"))
                self.assertIn("North, May", from_csv["header"]["text"])
                from_archive = self.archive_page(*options)
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
        self.assertIn("recorded only in an archive", sections_of(run.stdout.decode("utf-8"))["events"]["text"])

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

    def test_open_hands_the_written_page_over_by_its_absolute_path_and_a_failing_opener_is_only_told(self):
        # An xdg-open of the test's own keeps a copy of the file it is
        # given: the page was whole when it was opened.
        opener = "#!/bin/sh\necho \"$1\" > argument\ncp \"$1\" opened.html\nexit %d\n"
        for exit_code, reason in ((0, None), (3, "xdg-open failed (exit code 3)"),
                                  (None, "xdg-open could not be started")):
            with self.subTest(opener_exit_code=exit_code):
                bin_folder = self.path("bin%s" % exit_code)
                os.makedirs(bin_folder)
                if exit_code is not None:
                    with open(os.path.join(bin_folder, "xdg-open"), "w") as script:
                        script.write(opener % exit_code)
                    os.chmod(script.name, stat.S_IRWXU)
                environment = dict(os.environ, PATH=bin_folder + ("" if exit_code is None else ":/usr/bin:/bin"))
                # A relative -o: the opener is given the absolute path.
                run = report("report", "sample.csv", "--leak-ppm", "50", "-o", "open.html", "--open",
                             env=environment, cwd=self.folder.name)
                self.assertEqual(run.returncode, 0, run.stderr)
                page = self.path("open.html")
                if reason:
                    self.assertIn("the report is written, but open.html did not open: " + reason, run.stderr.decode())
                    continue
                self.assertNotIn(b"did not open", run.stderr)
                with open(self.path("argument")) as argument:
                    self.assertEqual(os.path.realpath(argument.read().strip()), os.path.realpath(page))
                with open(page, "rb") as written, open(self.path("opened.html"), "rb") as opened:
                    self.assertEqual(opened.read(), written.read())


if __name__ == "__main__":
    unittest.main()
