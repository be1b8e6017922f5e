"""719k collect against instrument-sim: each reading kept once in the survey
archive, the erase only after a download stored whole and read back, and
nothing lost when the archive or the line fails or the program is stopped
or killed.

The archive is read back through 719k's own commands and through Python's
sqlite3 module, a client that is not 719k. What should be there is worked
out from the simulator's state file with the instrument's rules written out
plainly (cli_harness). Every log line costs the link's 400 ms pause, so the
logs are short.
"""

import glob
import json
import os
import re
import signal
import sqlite3
import time

from cli_harness import (SAMPLE_LOG, SECOND_SESSION, SETTING_QUERIES, ArchiveWriteLock, CliTest, aligned,
                         archive_rows, commands_sent, expected_export, log_lines_handed_back, read_log,
                         read_state, read_transcript, settings_json, shown)

READ_COMMANDS = ["GET VERSION NUMBER", "GET REAL TIME"] + SETTING_QUERIES + ["GET LOG DATA"]
END_OF_LOG = b"\x02EOT\x03"
DOWNLOAD_START_TIMEOUT_S = 30
DOWNLOAD_TIMEOUT_S = 60
# Each session's heading lines and its first three readings.
SURVEY_LOG = SAMPLE_LOG[:8] + SAMPLE_LOG[SECOND_SESSION:SECOND_SESSION + 8]
SESSION_HEADING = SAMPLE_LOG[:5]
READING = SAMPLE_LOG[5]
OTHER_READING = SAMPLE_LOG[6]
UTC_TIME = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"
LOCAL_TIME_WITH_OFFSET = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d"


def readings_of(log):
    return [line for line in log if not line.startswith(" ")]


def end_of_log_sent(transcript):
    return any(who == "inst" and text == END_OF_LOG for who, text in read_transcript(transcript))


class CollectTest(CliTest):
    def setUp(self):
        super().setUp()
        self.archive = self.path("archive.sqlite")

    def collect(self, simulator, *options):
        return self.run_719k(["collect", "--archive", self.archive, "--port", simulator.pty] + list(options))

    def archive_command(self, *words):
        run = self.run_719k(["--archive", self.archive, "archive"] + list(words))
        self.assert_exit(run, 0)
        return run

    def downloads(self):
        return json.loads(self.archive_command("list", "--json").out)

    def start_collect(self, simulator, *options):
        return self.start_719k(["collect", "--archive", self.archive, "--port", simulator.pty] + list(options))


class Collect(CollectTest):
    def test_collect_twice_keeps_each_reading_once_with_the_instruments_settings_and_gives_the_export_back(self):
        state_file = self.state_file(SURVEY_LOG)
        state = read_state(state_file)
        simulator = self.start_simulator(state_file)
        first = self.collect(simulator, "--json")
        self.assert_exit(first, 0)
        readings = len(readings_of(SURVEY_LOG))
        self.assertEqual(json.loads(first.out), {
            "instrument": "000123", "firmware": "3.1", "clock": shown(state["clock"]),
            "clock_iso": "2008-05-23T16:50", "download_id": 1, "lines": len(SURVEY_LOG), "readings": readings,
            "new_readings": readings, "complete": True, "erased": False, "clock_set": False})
        self.assert_messages(first, "stored as download 1 in %s" % self.archive)

        second = self.collect(simulator)
        self.assert_exit(second, 0)
        self.assertEqual(second.text(), aligned([
            ("instrument", "000123"), ("firmware", "3.1"), ("clock", shown(state["clock"])),
            ("readings", "%d received, 0 new" % readings), ("erased", "no"), ("clock set", "no")]))
        self.assert_commands(simulator, READ_COMMANDS * 2)

        self.assertEqual(self.archive_command("readings").out, expected_export(SURVEY_LOG))
        listed = self.downloads()
        self.assertEqual([(d["id"], d["readings"], d["new_readings"], d["complete"]) for d in listed],
                         [(2, readings, 0, True), (1, readings, readings, True)])
        self.assertEqual(listed[0], dict(listed[0], port=simulator.pty, instrument="000123", firmware="3.1",
                                         lines=len(SURVEY_LOG), erased=False))

        # The same download as another SQLite client reads it.
        row = archive_rows(self.archive, "SELECT started_at, finished_at, port, program, instrument, firmware, "
                                         "instrument_clock, host_clock, settings, lines, complete, erased "
                                         "FROM downloads WHERE id = 1")[0]
        started, finished, port, program, instrument, firmware, clock, host_clock, settings = row[:9]
        self.assertRegex(started, UTC_TIME)
        self.assertRegex(finished, UTC_TIME)
        self.assertLessEqual(started, finished)
        self.assertRegex(host_clock, LOCAL_TIME_WITH_OFFSET)
        self.assertRegex(program, r"^719k \d+\.\d+\.\d+$")
        self.assertEqual((port, instrument, firmware, clock), (simulator.pty, "000123", "3.1", state["clock"]))
        self.assertEqual(json.loads(settings),
                         {key: value for key, value in settings_json(state).items() if key != "operating_mode_value"})
        self.assertEqual(row[9:], (len(SURVEY_LOG), 1, 0))
        self.assertEqual(archive_rows(self.archive, "SELECT text FROM log_lines WHERE download_id = 1 "
                                                    "ORDER BY line_number"), [(line,) for line in SURVEY_LOG])

    def test_a_grown_log_adds_its_new_readings_alike_readings_all_count_and_an_erased_log_starts_anew(self):
        # Two readings alike in every field, then the log grows by a third
        # one alike and another; erased, the instrument logs the first two again.
        logs = [SESSION_HEADING + [READING, READING],
                SESSION_HEADING + [READING, READING, READING, OTHER_READING],
                SESSION_HEADING + [READING, READING]]
        expected = [(2, 2, []), (4, 2, ["--erase"]), (2, 2, [])]
        for number, (log, (readings, new, options)) in enumerate(zip(logs, expected), 1):
            state_file = self.state_file(log, name="instrument-%d.txt" % number)
            simulator = self.start_simulator(state_file, transcript="transcript-%d.txt" % number)
            run = self.collect(simulator, "--json", *options)
            self.assert_exit(run, 0)
            summary = json.loads(run.out)
            self.assertEqual((summary["readings"], summary["new_readings"], summary["erased"]),
                             (readings, new, bool(options)), run)
            # The erase comes only after the whole log, and empties it.
            self.assert_commands(simulator, READ_COMMANDS + (["DO RESET LOG"] if options else []))
            self.assertEqual(read_log(state_file), [] if options else log)

        self.assertEqual(self.archive_command("readings").out,
                         expected_export(SESSION_HEADING + [READING] * 3 + [OTHER_READING] + [READING] * 2))
        self.assertEqual([d["erased"] for d in self.downloads()], [False, True, False])
        erase = [event for event in json.loads(self.archive_command("history", "--json").out)
                 if event["kind"] == "erase"]
        self.assertEqual([(event["instrument"], event["detail"]) for event in erase],
                         [("000123", {"download_id": 2, "readings_erased": 4, "all_archived": True,
                                      "last_download_complete": True})])

    def test_clock_is_set_to_the_local_time_only_when_it_is_off_by_more_than_the_drift_allowed(self):
        now = time.strftime("%m/%d/%y %H%M")
        for clock, set_expected in (("05/23/08 1650", True), (now, False)):
            with self.subTest(clock=clock):
                state_file = self.state_file(name="clock-%s.txt" % set_expected, clock=clock)
                simulator = self.start_simulator(state_file, transcript="transcript-%s.txt" % set_expected)
                sent_from = time.strftime("%m/%d/%y %H%M")
                run = self.collect(simulator, "--set-clock", "--json")
                sent_until = time.strftime("%m/%d/%y %H%M")
                self.assert_exit(run, 0)
                self.assertEqual(json.loads(run.out)["clock_set"], set_expected)
                after = read_state(state_file)["clock"]
                if not set_expected:
                    self.assertEqual(after, clock)
                    self.assert_commands(simulator, READ_COMMANDS)
                    continue
                self.assertIn(after, {sent_from, sent_until})
                self.assert_commands(simulator, READ_COMMANDS + ["SET REAL TIME " + after, "GET REAL TIME"])
                events = json.loads(self.archive_command("history", "--json").out)
                detail = [event["detail"] for event in events if event["kind"] == "clock_set"][-1]
                self.assertEqual(detail, dict(detail, before=clock, before_iso="2008-05-23T16:50", after=after,
                                              confirmed=True))
                self.assertLess(detail["drift_s"], -365 * 24 * 3600)


class ArchiveFailures(CollectTest):
    def test_an_archive_that_cannot_be_used_ends_collect_with_exit_4_before_anything_is_sent(self):
        simulator = self.start_simulator(self.state_file(SURVEY_LOG))
        with open(self.path("a-file"), "w") as plain:
            plain.write("not a folder\n")
        with open(self.path("notes.txt"), "w") as notes:
            notes.write("the survey's notes, not an archive\n")
        # Which files the archive refuses is the archive's tests' matter.
        cases = [(self.path("a-file/archive.sqlite"), "cannot open the archive"),
                 (self.path("notes.txt"), "is not a survey archive")]
        for path, reason in cases:
            with self.subTest(reason=reason, path=os.path.basename(path)):
                before = self.file_bytes(path)
                run = self.run_719k(["collect", "--erase", "--archive", path, "--port", simulator.pty])
                self.assert_exit(run, 4)
                self.assertEqual(run.out, b"")
                self.assertEqual(len(run.err.splitlines()), 1, run)
                self.assertIn(path, run.err)
                self.assertIn(reason, run.err)
                self.assertEqual(self.file_bytes(path), before)
        self.assert_nothing_sent(simulator)

    def test_storing_that_fails_after_the_download_erases_nothing_and_keeps_the_log_in_a_recovery_file(self):
        log = SURVEY_LOG
        state_file = self.state_file(log)
        simulator = self.start_simulator(state_file)
        collect = self.start_collect(simulator, "--erase")
        self.wait_until(lambda: "GET LOG DATA" in commands_sent(simulator.transcript), DOWNLOAD_START_TIMEOUT_S,
                        "the download to start")
        # Another program holds the archive past the busy time-out of 10 s.
        lock = ArchiveWriteLock(self.archive)
        self.addCleanup(lock.release)
        out, err = collect.communicate(timeout=DOWNLOAD_TIMEOUT_S)
        lock.release()

        self.assertEqual(collect.returncode, 4, err)
        recovered = glob.glob(self.path("719k-recovery-000123-*.csv"))
        self.assertEqual(len(recovered), 1, err)
        self.assertEqual(self.file_bytes(recovered[0]), expected_export(log))
        messages = err.decode().splitlines()
        self.assertRegex(messages[0], r"^719k: the archive %s is in use by another program" % re.escape(self.archive))
        self.assertEqual(messages[1:], [
            "719k: the %d lines received are in %s: import them with \"719k archive import\" once the archive can be "
            "written" % (len(log), recovered[0]),
            "719k: nothing was erased: the readings stay in the instrument on %s" % simulator.pty])
        self.assertEqual(out.decode(), aligned([
            ("instrument", "000123"), ("firmware", "3.1"), ("clock", shown(read_state(state_file)["clock"])),
            ("readings", "%d received, not stored" % len(readings_of(log))), ("erased", "no"), ("clock set", "no")]))
        self.assertEqual(read_log(state_file), log)
        self.assert_commands(simulator, READ_COMMANDS)

        self.archive_command("import", recovered[0])
        self.assertEqual(self.archive_command("readings").out, expected_export(log))

    def test_a_download_that_does_not_read_back_as_received_is_not_erased(self):
        self.assert_exit(self.run_719k(["--archive", self.archive, "archive", "import", self.export_file([])]), 0)
        # Another program's trigger spoils a line as it is stored.
        spoiler = sqlite3.connect(self.archive)
        spoiler.execute("CREATE TRIGGER spoil AFTER INSERT ON log_lines WHEN NEW.line_number = 3 BEGIN "
                        "UPDATE log_lines SET text = 'spoilt' WHERE download_id = NEW.download_id "
                        "AND line_number = 3; END")
        spoiler.close()
        state_file = self.state_file(SURVEY_LOG)
        simulator = self.start_simulator(state_file)
        run = self.collect(simulator, "--erase")
        self.assert_exit(run, 4)
        recovered = glob.glob(self.path("719k-recovery-000123-*.csv"))
        self.assertEqual(len(recovered), 1, run)
        self.assert_messages(
            run, "the download stored in the archive %s as download 2 does not read back as received: line 3 differs"
            % self.archive,
            "the %d lines received are in %s: import them with \"719k archive import\" once the archive can be "
            "written" % (len(SURVEY_LOG), recovered[0]),
            "nothing was erased: the readings stay in the instrument on %s" % simulator.pty)
        self.assertEqual(self.file_bytes(recovered[0]), expected_export(SURVEY_LOG))
        self.assertEqual(read_log(state_file), SURVEY_LOG)
        self.assert_commands(simulator, READ_COMMANDS)

    def export_file(self, log):
        path = self.path("export.csv")
        with open(path, "wb") as export:
            export.write(expected_export(log))
        return path

    @staticmethod
    def file_bytes(path):
        """The file's bytes; None where there can be no file."""
        try:
            with open(path, "rb") as source:
                return source.read()
        except NotADirectoryError:
            return None


class StoppedDownloads(CollectTest):
    LOG = SAMPLE_LOG[:25]
    LINES_BEFORE_STOP = 7

    def test_a_download_that_stops_part_way_is_stored_incomplete_and_nothing_is_erased(self):
        # An adapter pulled out ends the download as a failure (exit 1); a
        # stop request as the stop's code.
        for stop, code in (("unplugged", 1), ("SIGTERM", 143)):
            with self.subTest(stop=stop):
                self.archive = self.path(stop + ".sqlite")
                state_file = self.state_file(self.LOG, name=stop + ".txt")
                simulator = self.start_simulator(state_file, transcript=stop + "-transcript.txt")
                collect = self.start_collect(simulator, "--erase", "--json")
                self.wait_until(lambda: log_lines_handed_back(simulator.transcript) >= self.LINES_BEFORE_STOP,
                                DOWNLOAD_START_TIMEOUT_S, "the download to be under way")
                if stop == "unplugged":
                    simulator.stop()
                else:
                    collect.send_signal(signal.SIGTERM)
                out, err = collect.communicate(timeout=DOWNLOAD_TIMEOUT_S)

                self.assertEqual(collect.returncode, code, err)
                summary = json.loads(out)
                lines = summary["lines"]
                self.assertTrue(self.LINES_BEFORE_STOP <= lines < len(self.LOG), summary)
                self.assertEqual((summary["download_id"], summary["complete"], summary["erased"]), (1, False, False))
                self.assertIn(b"719k: nothing was erased", err)
                self.assertEqual([(d["lines"], d["complete"], d["erased"]) for d in self.downloads()],
                                 [(lines, False, False)])
                self.assertEqual(self.archive_command("readings").out, expected_export(self.LOG[:lines]))
                self.assertNotIn("DO RESET LOG", commands_sent(simulator.transcript))
                self.assertEqual(read_log(state_file), self.LOG)

    def test_a_killed_collect_leaves_an_archive_that_passes_its_check_without_a_half_download(self):
        earlier = self.state_file(SESSION_HEADING + [READING], name="earlier.txt")
        self.assert_exit(self.collect(self.start_simulator(earlier, transcript="earlier-transcript.txt")), 0)
        before = self.archive_command("readings").out

        for moment in ("downloading", "storing"):
            with self.subTest(moment=moment):
                simulator = self.start_simulator(self.state_file(self.LOG[:9], name=moment + ".txt"),
                                                 transcript=moment + "-transcript.txt")
                collect = self.start_collect(simulator)
                lock = None
                if moment == "downloading":
                    self.wait_until(lambda: log_lines_handed_back(simulator.transcript) >= self.LINES_BEFORE_STOP,
                                    DOWNLOAD_START_TIMEOUT_S, "the download to be under way")
                else:
                    self.wait_until(lambda: "GET LOG DATA" in commands_sent(simulator.transcript),
                                    DOWNLOAD_START_TIMEOUT_S, "the download to start")
                    lock = ArchiveWriteLock(self.archive)
                    self.addCleanup(lock.release)
                    self.wait_until(lambda: end_of_log_sent(simulator.transcript), DOWNLOAD_TIMEOUT_S,
                                    "the end of the log")
                    time.sleep(1)  # the store waits for the lock
                    self.assertIsNone(collect.poll(), "collect ended before it was killed")
                collect.kill()
                collect.communicate()
                if lock:
                    lock.release()

                check = self.archive_command("check", "--json")
                self.assertEqual(json.loads(check.out), dict(json.loads(check.out), ok=True, downloads=1))
                self.assertEqual(self.archive_command("readings").out, before)


class TwoPrograms(CollectTest):
    def test_two_collects_store_into_one_archive_at_once_each_waiting_for_the_other(self):
        logs = [SURVEY_LOG, [line.replace("000123", "000124") for line in SURVEY_LOG]]
        simulators = [self.start_simulator(self.state_file(log, name="instrument-%d.txt" % number,
                                                           instrument_number="00012%d" % (3 + number)),
                                           transcript="transcript-%d.txt" % number)
                      for number, log in enumerate(logs)]
        collects = [self.start_collect(simulator, "--json") for simulator in simulators]
        self.wait_until(lambda: all("GET LOG DATA" in commands_sent(s.transcript) for s in simulators),
                        DOWNLOAD_START_TIMEOUT_S, "both downloads to start")
        # Held until both have their logs, so both stores wait at once.
        lock = ArchiveWriteLock(self.archive)
        self.addCleanup(lock.release)
        self.wait_until(lambda: all(end_of_log_sent(s.transcript) for s in simulators), DOWNLOAD_TIMEOUT_S,
                        "both logs")
        time.sleep(1)
        lock.release()

        summaries = []
        for collect in collects:
            out, err = collect.communicate(timeout=DOWNLOAD_TIMEOUT_S)
            self.assertEqual(collect.returncode, 0, err)
            summaries.append(json.loads(out))
        readings = len(readings_of(SURVEY_LOG))
        self.assertEqual(sorted((s["instrument"], s["new_readings"]) for s in summaries),
                         [("000123", readings), ("000124", readings)])
        self.assertEqual(sorted(s["download_id"] for s in summaries), [1, 2])
        for number, log in enumerate(logs):
            instrument = "00012%d" % (3 + number)
            self.assertEqual(self.archive_command("readings", "--instrument", instrument).out, expected_export(log))
        self.assertEqual(json.loads(self.archive_command("check", "--json").out)["ok"], True)
