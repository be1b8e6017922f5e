"""719k's survey archive from the command line: CSV exports imported and
the readings given back by filter, the archive's place, the commands that
only read it, log download --store, and the records that config set, clock
set and log erase keep there, only when the archive exists; a file that is
no archive stops them and collect before anything is sent.

Exports are worked out with the instrument's rules written out plainly
(cli_harness); the archive is also read with Python's sqlite3 module.
"""

import json
import os
import re

from cli_harness import (SAMPLE_LOG, SECOND_SESSION, SETTING_QUERIES, CliTest, archive_rows, csv_rows, expected_export,
                         file_bytes, read_log)

SURVEY_LOG = SAMPLE_LOG[:8] + SAMPLE_LOG[SECOND_SESSION:SECOND_SESSION + 8]
NOT_AN_EXPORT = b"Date,Place,Value\r\n05/23/08 1432,A00017,12\r\n"


class Import(CliTest):
    def test_an_export_is_imported_once_and_a_file_that_is_not_one_is_refused_whole_while_the_rest_go_in(self):
        export = self.export_file("survey.csv", SAMPLE_LOG)
        readings = len(csv_rows(SAMPLE_LOG)) - 1
        first = self.archive_run("import", export)
        self.assert_exit(first, 0)
        self.assertEqual(first.text(), "%s  %d readings, %d new (download 1)\n" % (export, readings, readings))

        bad = self.path("notes.csv")
        with open(bad, "wb") as notes:
            notes.write(NOT_AN_EXPORT)
        grown = self.export_file("grown.csv", SAMPLE_LOG + SAMPLE_LOG[5:7])
        again = self.archive_run("import", bad, export, grown, "--json")
        self.assert_exit(again, 4)
        self.assertEqual(json.loads(again.out), [
            {"file": export, "download_id": 2, "readings": readings, "new_readings": 0},
            {"file": grown, "download_id": 3, "readings": readings + 2, "new_readings": 2}])
        self.assertEqual(len(again.err.splitlines()), 1, again)
        self.assertRegex(again.err, r"^719k: %s is not an export of readings \(line 1: .*\); nothing was imported\n$"
                         % re.escape(bad))

        self.assertEqual(self.archive_run("readings").out, expected_export(SAMPLE_LOG + SAMPLE_LOG[5:7]))
        self.assertEqual(archive_rows(self.archive, "SELECT imported_from FROM downloads"),
                         [(export,), (export,), (grown,)])
        listed = [line.split() for line in self.archive_run("list").text().splitlines()]
        self.assertEqual(listed[0], ["id", "started", "port", "instrument", "firmware", "lines", "readings", "new",
                                     "log", "erased"])
        # The start in local time takes two words.
        self.assertEqual([row[:1] + row[3:] for row in listed[1:]], [
            [str(number), "(import)", "-", "-", "0", str(count), str(new), "complete", "-"]
            for number, count, new in ((3, readings + 2, 2), (2, readings, 0), (1, readings, readings))])

    def test_readings_are_chosen_by_instrument_user_location_and_inclusive_dates(self):
        self.assert_exit(self.archive_run("import", self.export_file("survey.csv", SAMPLE_LOG)), 0)
        rows = csv_rows(SAMPLE_LOG)
        fields = [row.decode("ascii").split(",") for row in rows[1:]]

        def chosen(keep):
            return rows[0] + b"".join(row for row, field in zip(rows[1:], fields) if keep(field))

        cases = [
            (["--user", "000000057"], chosen(lambda f: f[1] == "000000057")),
            (["--location", "A00017"], chosen(lambda f: f[4] == "A00017")),
            (["--instrument", "000999"], chosen(lambda f: False)),
            # A date alone for --until keeps its whole day; --since takes a minute.
            (["--until", "2008-05-23"], chosen(lambda f: True)),
            (["--since", "2008-05-23 16:30", "--until", "2008-05-23T16:40"],
             chosen(lambda f: "1630" <= f[3][-4:] <= "1640")),
        ]
        for arguments, expected in cases:
            with self.subTest(arguments=arguments):
                run = self.archive_run("readings", *arguments)
                self.assert_exit(run, 0)
                self.assertEqual(run.out, expected)
        refused = self.archive_run("readings", "--since", "23.05.2008")
        self.assert_exit(refused, 2)
        self.assert_messages(refused, "archive readings: \"23.05.2008\" is no date: give YYYY-MM-DD or "
                                      "\"YYYY-MM-DD HH:MM\"")

    def test_the_archive_is_the_option_else_the_variable_else_the_users_data_folder(self):
        export = self.export_file("survey.csv", SAMPLE_LOG[:7])
        home = self.path("home")
        cases = [
            (["--archive", self.path("option.sqlite")], {"SET719K_ARCHIVE": self.path("variable.sqlite")},
             self.path("option.sqlite")),
            ([], {"SET719K_ARCHIVE": self.path("variable.sqlite"), "XDG_DATA_HOME": self.path("data")},
             self.path("variable.sqlite")),
            ([], {"XDG_DATA_HOME": self.path("data"), "HOME": home}, self.path("data/719k/archive.sqlite")),
            ([], {"HOME": home}, os.path.join(home, ".local/share/719k/archive.sqlite")),
        ]
        for options, variables, place in cases:
            with self.subTest(place=place):
                env = dict(variables)
                for name in ("SET719K_ARCHIVE", "XDG_DATA_HOME"):
                    env.setdefault(name, "")
                run = self.run_719k(options + ["archive", "import", export], env=env)
                self.assert_exit(run, 0)
                self.assertEqual(archive_rows(place, "SELECT count(*) FROM readings"), [(2,)])
                os.remove(place)


class ReadCommands(CliTest):
    def test_reading_commands_need_the_archive_make_none_and_a_damaged_one_fails_its_check(self):
        for command in (["list"], ["readings"], ["history"], ["check"]):
            with self.subTest(command=command[0]):
                run = self.archive_run(*command)
                self.assert_exit(run, 4)
                self.assert_messages(run, "cannot open the archive %s (no such file); check the name, the folder and "
                                          "its permissions" % self.archive)
        self.assertFalse(os.path.exists(self.archive))

        self.assert_exit(self.archive_run("import", self.export_file("survey.csv", SAMPLE_LOG)), 0)
        check = self.archive_run("check")
        self.assert_exit(check, 0)
        self.assertEqual(check.text(), "integrity       ok\nschema version  2\ndownloads       1\nlog lines       0\n"
                                       "readings        %d\nevents          0\n" % (len(csv_rows(SAMPLE_LOG)) - 1))
        # Pages past the first are the tables' and indexes'.
        with open(self.archive, "r+b") as damaged:
            damaged.seek(4096 * 2)
            damaged.write(b"\xff" * 4096 * 2)
        damaged_check = self.archive_run("check")
        self.assert_exit(damaged_check, 4)
        self.assertIn("719k: the archive %s is damaged" % self.archive, damaged_check.err)


class StoredDownloadAndChanges(CliTest):
    def test_log_download_store_keeps_the_download_and_config_clock_and_erase_record_what_they_changed(self):
        state_file = self.state_file(SURVEY_LOG)
        simulator = self.start_simulator(state_file)
        port = ["--archive", self.archive, "--port", simulator.pty]
        download = self.run_719k(["log", "download", "--store", "--format", "json"] + port)
        self.assert_exit(download, 0)
        self.assertEqual(self.archive_run("readings", "--format", "json").out, download.out)
        listed = self.downloads()
        self.assertEqual(listed, [dict(listed[0], id=1, port=simulator.pty, instrument="000123", firmware=None,
                                       lines=len(SURVEY_LOG), complete=True, erased=False)])
        self.assertEqual(download.err.splitlines()[0], "719k: stored as download 1 in %s: %d new readings"
                         % (self.archive, listed[0]["readings"]))

        self.assert_exit(self.run_719k(["config", "set", "alarm=0070", "user-id=7"] + port), 0)
        self.assert_exit(self.run_719k(["clock", "set", "--time", "2026-12-07 08:30"] + port), 0)
        self.assert_exit(self.run_719k(["log", "erase", "--yes"] + port), 0)
        self.assertEqual(read_log(state_file), [])
        # The old values are read first, each setting written, all read back.
        self.assert_commands(simulator, [
            "GET INSTRUMENT NUMBER", "GET LOG DATA",
            "GET ALARM SETTING", "GET USER ID", "SET USER ID 7", "SET ALARM SETTING 0070"] + SETTING_QUERIES + [
            "GET INSTRUMENT NUMBER", "GET REAL TIME", "SET REAL TIME 12/07/26 0830", "GET REAL TIME",
            "GET INSTRUMENT NUMBER", "DO RESET LOG"])

        events = json.loads(self.archive_run("history", "--json").out)
        self.assertEqual([(e["kind"], e["port"], e["instrument"], e["detail"]) for e in events], [
            ("config_set", simulator.pty, "000123", {"settings": {
                "user_id": {"old": "000000042", "new": "7", "confirmed": True},
                "alarm": {"old": "0050", "new": "0070", "confirmed": True}}}),
            ("clock_set", simulator.pty, "000123", {
                "before": "05/23/08 1650", "before_iso": "2008-05-23T16:50", "after": "12/07/26 0830",
                "after_iso": "2026-12-07T08:30", "confirmed": True, "drift_s": None}),
            ("erase", simulator.pty, "000123", {
                "download_id": None, "readings_erased": None, "all_archived": None, "last_download_complete": True}),
        ])

    def test_a_file_that_is_no_archive_stops_collect_and_every_change_unsent_and_a_missing_one_is_not_made(self):
        with open(self.path("notes.txt"), "w") as notes:
            notes.write("not an archive\n")
        simulator = self.start_simulator(self.state_file(SURVEY_LOG))
        changes = [
            (["config", "set", "alarm=0070"], ["SET ALARM SETTING 0070"] + SETTING_QUERIES),
            (["clock", "set", "--time", "2026-12-07 08:30"], ["SET REAL TIME 12/07/26 0830", "GET REAL TIME"]),
            (["log", "erase", "--yes"], ["DO RESET LOG"]),
        ]
        # Which files the archive refuses, and why, is the archive's tests' matter.
        not_an_archive = "{} is not a survey archive (file is not a database); it was left unchanged: name another file"
        refused = [(command, self.path("notes.txt"), not_an_archive) for command, _ in changes] + [
            (["collect", "--erase"], self.path("notes.txt"), not_an_archive),
            (["collect", "--erase"], self.path("notes.txt/archive.sqlite"), "cannot open the archive {} (")]
        for command, archive, message in refused:
            with self.subTest(command=command[0], archive=archive):
                run = self.run_719k(command + ["--port", simulator.pty], env={"SET719K_ARCHIVE": archive})
                self.assert_exit(run, 4)
                self.assertEqual((run.out, len(run.err.splitlines())), (b"", 1), run)
                self.assertTrue(run.err.startswith("719k: " + message.format(archive)), run)
        self.assert_nothing_sent(simulator)
        self.assertEqual(file_bytes(self.path("notes.txt")), b"not an archive\n")

        for command, _ in changes:
            run = self.run_719k(command + ["--port", simulator.pty],
                                env={"SET719K_ARCHIVE": self.path("missing/archive.sqlite")})
            self.assert_exit(run, 0)
        self.assert_commands(simulator, [text for _, wire in changes for text in wire])
        self.assertFalse(os.path.exists(self.path("missing")))
