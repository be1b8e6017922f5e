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
import signal
import sqlite3
import time

from cli_harness import (SAMPLE_LOG, SECOND_SESSION, SETTING_QUERIES, CliTest, aligned,
                         archive_rows, commands_sent, expected_export, file_bytes, read_log, read_state,
                         read_transcript, settings_json, shown)

READ_COMMANDS = ["GET VERSION NUMBER", "GET REAL TIME"] + SETTING_QUERIES + ["GET LOG DATA"]
END_OF_LOG = b"\x02EOT\x03"
DOWNLOAD_TIMEOUT_S = 60
# Each session's heading lines and its first three readings.
SURVEY_LOG = SAMPLE_LOG[:8] + SAMPLE_LOG[SECOND_SESSION:SECOND_SESSION + 8]
SURVEY_READINGS = 6
SESSION_HEADING = SAMPLE_LOG[:5]
READING = SAMPLE_LOG[5]
OTHER_READING = SAMPLE_LOG[6]
UTC_TIME = r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$"


class CollectTest(CliTest):
    def collect(self, simulator, *options):
        return self.run_719k(["collect", "--archive", self.archive, "--port", simulator.pty] + list(options))

    def start_collect(self, simulator, *options):
        return self.start_719k(["collect", "--archive", self.archive, "--port", simulator.pty] + list(options))

    def wait_for_whole_logs(self, *simulators):
        self.wait_until(lambda: all(("inst", END_OF_LOG) in [tuple(entry) for entry in read_transcript(s.transcript)]
                                    for s in simulators), DOWNLOAD_TIMEOUT_S, "the end of the log")

    def events(self, kind):
        return [event for event in json.loads(self.archive_run("history", "--json").out) if event["kind"] == kind]


class Collect(CollectTest):
    def test_collect_again_stores_no_reading_twice_sets_only_a_clock_that_is_off_and_gives_the_export_back(self):
        state_file = self.state_file(SURVEY_LOG)
        state = read_state(state_file)
        simulator = self.start_simulator(state_file)
        first = self.collect(simulator, "--json")
        self.assert_exit(first, 0)
        self.assertEqual(json.loads(first.out), {
            "instrument": "000123", "firmware": "3.1", "clock": shown(state["clock"]),
            "clock_iso": "2008-05-23T16:50", "download_id": 1, "lines": len(SURVEY_LOG),
            "readings": SURVEY_READINGS, "new_readings": SURVEY_READINGS, "complete": True, "erased": False,
            "clock_set": False})
        self.assert_messages(first, "stored as download 1 in %s" % self.archive)

        # Years off, the clock is set to the local time; then it is near enough.
        sent_from = time.strftime("%m/%d/%y %H%M")
        second = self.collect(simulator, "--set-clock")
        sent_until = time.strftime("%m/%d/%y %H%M")
        self.assert_exit(second, 0)
        self.assertEqual(second.text(), aligned([
            ("instrument", "000123"), ("firmware", "3.1"), ("clock", shown(state["clock"])),
            ("readings", "%d received, 0 new" % SURVEY_READINGS), ("erased", "no"), ("clock set", "yes")]))
        clock = read_state(state_file)["clock"]
        self.assertIn(clock, {sent_from, sent_until})
        third = self.collect(simulator, "--set-clock", "--json")
        self.assertEqual(json.loads(third.out), dict(json.loads(third.out), new_readings=0, clock_set=False))
        self.assert_commands(simulator, READ_COMMANDS * 2 + ["SET REAL TIME " + clock, "GET REAL TIME"] +
                             READ_COMMANDS)
        (clock_set,) = self.events("clock_set")
        self.assertEqual(clock_set["detail"], dict(clock_set["detail"], before=state["clock"], after=clock,
                                                   confirmed=True))
        self.assertLess(clock_set["detail"]["drift_s"], -365 * 24 * 3600)

        self.assertEqual(self.archive_run("readings").out, expected_export(SURVEY_LOG))
        self.assertEqual([(d["id"], d["port"], d["instrument"], d["new_readings"], d["complete"])
                          for d in self.downloads()],
                         [(number, simulator.pty, "000123", 0, True) for number in (3, 2)] +
                         [(1, simulator.pty, "000123", SURVEY_READINGS, True)])

        # What collect records of the download, as another SQLite client reads it.
        (started, program, instrument_clock, host_clock, settings), = archive_rows(
            self.archive, "SELECT started_at, program, instrument_clock, host_clock, settings FROM downloads "
                          "WHERE id = 1")
        self.assertRegex(started, UTC_TIME)
        self.assertEqual(instrument_clock, state["clock"])
        self.assertRegex(program, r"^719k \d+\.\d+\.\d+$")
        self.assertRegex(host_clock, r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d")
        self.assertEqual(json.loads(settings),
                         {key: value for key, value in settings_json(state).items() if key != "operating_mode_value"})
        self.assertEqual(archive_rows(self.archive, "SELECT text FROM log_lines WHERE download_id = 1 "
                                                    "ORDER BY line_number"), [(line,) for line in SURVEY_LOG])

    def test_a_grown_log_adds_its_new_readings_alike_readings_all_count_and_an_erased_log_starts_anew(self):
        # Two readings alike in every field, then the log grows by a third
        # one alike and another; erased, the instrument logs the first two again.
        steps = [([READING, READING], 2, 2, []), ([READING, READING, READING, OTHER_READING], 4, 2, ["--erase"]),
                 ([READING, READING], 2, 2, [])]
        for number, (readings_logged, readings, new, options) in enumerate(steps, 1):
            log = SESSION_HEADING + readings_logged
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

        self.assertEqual(self.archive_run("readings").out,
                         expected_export(SESSION_HEADING + [READING] * 3 + [OTHER_READING] + [READING] * 2))
        self.assertEqual([(event["instrument"], event["detail"]) for event in self.events("erase")],
                         [("000123", {"download_id": 2, "readings_erased": 4, "all_archived": True,
                                      "last_download_complete": True})])


class ArchiveFailures(CollectTest):
    def test_a_download_that_cannot_be_stored_or_does_not_read_back_is_kept_in_a_recovery_file_unerased(self):
        causes = [
            # Another program holds the archive past the busy time-out of 10 s.
            ("locked", "the archive %s is in use by another program" % self.path("locked/archive.sqlite")),
            # Another program's trigger spoils a line as it is stored.
            ("spoilt", "the download stored in the archive %s as download 2 does not read back as received: "
                       "line 3 differs" % self.path("spoilt/archive.sqlite")),
        ]
        for cause, message in causes:
            with self.subTest(cause=cause):
                os.mkdir(self.path(cause))
                self.archive = self.path(cause + "/archive.sqlite")
                if cause == "spoilt":
                    self.assert_exit(self.archive_run("import", self.export_file("empty.csv", [])), 0)
                    spoiler = sqlite3.connect(self.archive)
                    spoiler.execute("CREATE TRIGGER spoil AFTER INSERT ON log_lines WHEN NEW.line_number = 3 BEGIN "
                                    "UPDATE log_lines SET text = 'spoilt' WHERE download_id = NEW.download_id "
                                    "AND line_number = 3; END")
                    spoiler.close()
                state_file = self.state_file(SURVEY_LOG, name=cause + ".txt")
                simulator = self.start_simulator(state_file, transcript=cause + "-transcript.txt")
                collect = self.start_collect(simulator, "--erase")
                if cause == "locked":
                    self.wait_for_download(simulator)
                    release = self.hold_archive()
                out, err = collect.communicate(timeout=DOWNLOAD_TIMEOUT_S)
                if cause == "locked":
                    release()

                self.assertEqual(collect.returncode, 4, err)
                recovered = glob.glob(self.path(cause + "/719k-recovery-000123-*.csv"))
                self.assertEqual(len(recovered), 1, err)
                self.assertEqual(file_bytes(recovered[0]), expected_export(SURVEY_LOG))
                messages = err.decode().splitlines()
                self.assertTrue(messages[0].startswith("719k: " + message), messages)
                self.assertEqual(messages[1:], [
                    "719k: the %d lines received are in %s: import them with \"719k archive import\" once the "
                    "archive can be written" % (len(SURVEY_LOG), recovered[0]),
                    "719k: nothing was erased: the readings stay in the instrument on %s" % simulator.pty])
                self.assertIn(b"%d received, not stored" % SURVEY_READINGS, out)
                self.assertEqual(read_log(state_file), SURVEY_LOG)
                self.assert_commands(simulator, READ_COMMANDS)
                self.assert_exit(self.archive_run("import", recovered[0]), 0)
                self.assertEqual(self.archive_run("readings").out, expected_export(SURVEY_LOG))


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
                self.wait_for_download(simulator, self.LINES_BEFORE_STOP)
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
                self.assertEqual(self.archive_run("readings").out, expected_export(self.LOG[:lines]))
                self.assertNotIn("DO RESET LOG", commands_sent(simulator.transcript))
                self.assertEqual(read_log(state_file), self.LOG)

    def test_a_collect_killed_while_downloading_leaves_an_archive_that_passes_its_check_without_a_half_download(self):
        earlier = self.state_file(SESSION_HEADING + [READING], name="earlier.txt")
        self.assert_exit(self.collect(self.start_simulator(earlier, transcript="earlier-transcript.txt")), 0)
        before = self.archive_run("readings").out
        simulator = self.start_simulator(self.state_file(self.LOG[:9]))
        collect = self.start_collect(simulator)
        self.wait_for_download(simulator, self.LINES_BEFORE_STOP)
        collect.kill()
        collect.communicate()
        check = json.loads(self.archive_run("check", "--json").out)
        self.assertEqual(check, dict(check, ok=True, downloads=1))
        self.assertEqual(self.archive_run("readings").out, before)


class TwoPrograms(CollectTest):
    def test_two_collects_store_into_one_archive_at_once_and_a_third_killed_while_storing_leaves_nothing(self):
        logs = {instrument: [line.replace("000123", instrument) for line in SURVEY_LOG]
                for instrument in ("000123", "000124", "000125")}
        simulators = [self.start_simulator(self.state_file(log, name=instrument + ".txt",
                                                           instrument_number=instrument),
                                           transcript=instrument + "-transcript.txt")
                      for instrument, log in logs.items()]
        collects = [self.start_collect(simulator, "--json") for simulator in simulators]
        for simulator in simulators:
            self.wait_for_download(simulator)
        # Held until all have their logs, so all stores wait at once.
        release = self.hold_archive()
        self.wait_for_whole_logs(*simulators)
        time.sleep(1)
        killed = collects.pop()
        self.assertIsNone(killed.poll(), "collect ended before it was killed")
        killed.kill()
        killed.communicate()
        release()

        for collect in collects:
            out, err = collect.communicate(timeout=DOWNLOAD_TIMEOUT_S)
            self.assertEqual(collect.returncode, 0, err)
            self.assertEqual(json.loads(out)["new_readings"], SURVEY_READINGS)
        for instrument, log in logs.items():
            self.assertEqual(self.archive_run("readings", "--instrument", instrument).out,
                             expected_export(log if instrument != "000125" else []))
        check = json.loads(self.archive_run("check", "--json").out)
        self.assertEqual(check, dict(check, ok=True, downloads=2))
