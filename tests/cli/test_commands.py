"""Each command of 719k against instrument-sim, in text and in JSON: what it
prints, what it sends, and what the instrument holds afterwards.

What 719k should print is worked out from the simulator's state file with
the instrument's rules written out plainly (cli_harness, and the Wine
tests' rules for the data log), never with the program's code. Every log
line costs the link's 400 ms pause, so downloads use short logs.
"""

import json
import os
import time

from cli_harness import (ONE_SESSION_LOG, ORDERS, SAMPLE_LOG, SECOND_SESSION, SETTING_QUERIES, SETTINGS, STATE_NAME,
                         TWO_SESSIONS_LOG, CliTest, aligned, commands_sent, expected_export, log_list,
                         log_readings, read_log, read_state, settings_json, settings_text, shown)

# The echo budget of a query: this many wrong echoes in a row make it fail.
QUERY_ATTEMPTS = 16
# A zone away from UTC, with daylight saving, so a time sent in UTC does not
# pass for local time.
LOCAL_ZONE = "EST5EDT"
QUESTION = "Erase all readings stored in the instrument? [y/N] "


class Ports(CliTest):
    def test_ports_needs_no_port_and_prints_one_name_tab_description_line_each_as_json_lists(self):
        text = self.run_719k(["ports"])
        self.assert_exit(text, 0)
        lines = text.text().splitlines(keepends=True)
        self.assertEqual([line for line in lines if line.count("\t") != 1 or not line.endswith("\n")], [], text)
        listed = [line.rstrip("\n").split("\t") for line in lines]
        self.assertEqual([name for name, _ in listed if not name], [], text)

        as_json = self.run_719k(["ports", "--json"])
        self.assert_exit(as_json, 0)
        self.assertEqual(json.loads(as_json.out), [{"name": name, "description": description}
                                                   for name, description in listed])


class Info(CliTest):
    def test_info_prints_firmware_and_the_clock_as_the_dialog_shows_it_aligned(self):
        state_file = self.state_file()
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["info", "--port", simulator.pty])
        self.assert_exit(run, 0)
        state = read_state(state_file)
        self.assertEqual(run.text(), aligned([("firmware", state["firmware_version"]),
                                              ("clock", shown(state["clock"]))]))
        self.assertEqual(run.err, "")
        self.assert_commands(simulator, ["GET VERSION NUMBER", "GET REAL TIME"])

    def test_info_json_gives_the_clock_in_2000s_calendar_time_even_for_year_99(self):
        # Two-digit years are 2000 to 2099: "99" read as 1999 shows here.
        state_file = self.state_file(clock="12/31/99 2359", firmware_version="4.2")
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["info", "--json", "--port", simulator.pty])
        self.assert_exit(run, 0)
        self.assertEqual(json.loads(run.out), {"firmware": "4.2", "clock": shown("12/31/99 2359"),
                                               "clock_iso": "2099-12-31T23:59"})

    def test_info_json_has_a_null_calendar_clock_for_a_clock_that_is_no_date(self):
        simulator = self.start_simulator(self.state_file(clock="13/45/08 2561"))
        run = self.run_719k(["info", "--json", "--port", simulator.pty])
        self.assert_exit(run, 0)
        answer = json.loads(run.out)
        self.assertEqual((answer["firmware"], answer["clock_iso"]), ("3.1", None), run)
        self.assertIsInstance(answer["clock"], str)

    def test_failed_version_query_sends_no_clock_query_gives_nulls_and_exit_1(self):
        simulator = self.start_simulator(self.state_file(), ["--corrupt-echo", str(QUERY_ATTEMPTS)])
        run = self.run_719k(["--json", "info", "--port", simulator.pty])
        self.assert_exit(run, 1)
        self.assertEqual(json.loads(run.out), {"firmware": None, "clock": None, "clock_iso": None})
        self.assert_error_lines(run)
        self.assert_commands(simulator, ["GET VERSION NUMBER"] * QUERY_ATTEMPTS)


class ConfigGet(CliTest):
    def test_config_get_reads_the_eight_settings_in_the_instruments_order_and_prints_them_aligned(self):
        state_file = self.state_file()
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["config", "get", "--port", simulator.pty])
        self.assert_exit(run, 0)
        self.assertEqual(run.text(), settings_text(read_state(state_file)))
        self.assertEqual(run.err, "")
        self.assert_commands(simulator, SETTING_QUERIES)

    def test_config_get_json_holds_each_setting_under_its_own_key(self):
        # Every setting different from every other, so a swapped pair shows.
        state_file = self.state_file(instrument_number="000321", user_id="000000987", location_code="000654",
                                     access_level="3", operating_mode="M7", alarm_setting="0075",
                                     span_concentration="0250", response_factor="2.50")
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["config", "get", "--json", "--port", simulator.pty])
        self.assert_exit(run, 0)
        self.assertEqual(json.loads(run.out), settings_json(read_state(state_file)))

    def test_config_get_stops_at_the_first_failed_read_names_it_and_prints_no_line_for_it(self):
        # Enough wrong echoes for the first read of two runs.
        simulator = self.start_simulator(self.state_file(), ["--corrupt-echo", str(2 * QUERY_ATTEMPTS)])
        text = self.run_719k(["config", "get", "--port", simulator.pty])
        self.assert_exit(text, 1)
        self.assertEqual(text.out, b"")
        self.assert_messages(text, "could not read the setting instrument (instrument number): the instrument on %s "
                             "answered garbled data: check the cable and the baud rate" % simulator.pty)
        as_json = self.run_719k(["config", "get", "--json", "--port", simulator.pty])
        self.assert_exit(as_json, 1)
        self.assertEqual(json.loads(as_json.out), dict({key: None for _, key, _ in SETTINGS}, operating_mode_value=None))
        # The other seven would fail the same way: none of them is tried.
        self.assert_commands(simulator, ["GET INSTRUMENT NUMBER"] * (2 * QUERY_ATTEMPTS))


class ConfigSet(CliTest):
    def run_config_set(self, assignments, options=(), **state_values):
        state_file = self.state_file(**state_values)
        simulator = self.start_simulator(state_file)
        before = read_state(state_file)
        run = self.run_719k(["config", "set"] + assignments + ["--port", simulator.pty] + list(options))
        return run, simulator, before, read_state(state_file)

    def test_only_the_named_settings_go_out_at_their_longest_in_save_config_order_then_eight_reads(self):
        # All but the access level, the first one Save Config writes.
        values = {"response-factor": "9.99", "span": "9999", "alarm": "8888", "location": "777777",
                  "user-id": "666666666", "instrument": "555555"}
        for name, _, longest in ORDERS[1:]:
            self.assertEqual(len(values[name]), longest)
        run, simulator, before, after = self.run_config_set(["%s=%s" % item for item in values.items()])
        self.assert_exit(run, 0)
        self.assertEqual(after, dict(before, **{STATE_NAME[name]: value for name, value in values.items()}))
        self.assert_commands(simulator, ["%s %s" % (text, values[name]) for name, text, _ in ORDERS[1:]] +
                             SETTING_QUERIES)
        self.assertEqual(run.text(), settings_text(after))

    def test_config_set_json_prints_the_read_back_and_an_empty_value_keeps_its_trailing_blank(self):
        run, simulator, before, after = self.run_config_set(["location=", "alarm=0080", "access-level=3"],
                                                            ["--json"])
        self.assert_exit(run, 0)
        self.assertEqual(after, dict(before, location_code="", alarm_setting="0080", access_level="3"))
        self.assert_commands(simulator, ["SET ACCESS LEVEL 3", "SET LOCATION CODE ", "SET ALARM SETTING 0080"] +
                             SETTING_QUERIES)
        self.assertEqual(json.loads(run.out), settings_json(after))


    def test_json_keys_work_as_names_and_span_and_response_factor_take_a_decimal_point(self):
        run, simulator, before, after = self.run_config_set(["user_id=000042", "span=1.5", "response_factor=2.50"])
        self.assert_exit(run, 0)
        self.assertEqual(after, dict(before, user_id="000042", span_concentration="1.5", response_factor="2.50"))
        self.assert_commands(simulator, ["SET USER ID 000042", "SET SPAN CONCENTRATION 1.5",
                                         "SET RESPONSE FACTOR 2.50"] + SETTING_QUERIES)


class ClockSet(CliTest):
    def run_clock_set(self, arguments):
        state_file = self.state_file()
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["clock", "set"] + arguments + ["--port", simulator.pty])
        return run, simulator, read_state(state_file)

    def assert_clock_line(self, run, clock):
        name, value = run.text().rstrip("\n").split(None, 1)
        self.assertEqual((name, value, run.text().count("\n")), ("clock", shown(clock), 1), run)
        # The line that info prints: names padded to "firmware" and two blanks.
        self.assertTrue(run.text().startswith("clock" + " " * 5), run)

    def test_given_time_goes_out_as_the_instruments_text_and_the_clock_read_back_is_printed(self):
        # A leap day late in the evening: the 12-hour clock and the date both show.
        run, simulator, state = self.run_clock_set(["--time", "2024-02-29 23:59"])
        self.assert_exit(run, 0)
        self.assertEqual(state["clock"], "02/29/24 2359")
        self.assert_commands(simulator, ["SET REAL TIME 02/29/24 2359", "GET REAL TIME"])
        self.assert_clock_line(run, "02/29/24 2359")

    def test_clock_set_json_gives_the_clock_and_its_calendar_time(self):
        run, simulator, state = self.run_clock_set(["--time", "2000-01-01 00:05", "--json"])
        self.assert_exit(run, 0)
        self.assertEqual(state["clock"], "01/01/00 0005")
        self.assertEqual(json.loads(run.out), {"clock": shown("01/01/00 0005"), "clock_iso": "2000-01-01T00:05"})

    def test_without_a_time_the_local_time_now_is_sent(self):
        saved_zone = os.environ.get("TZ")
        os.environ["TZ"] = LOCAL_ZONE
        time.tzset()
        self.addCleanup(self.restore_zone, saved_zone)
        sent_from = time.localtime()
        run, simulator, state = self.run_clock_set([])
        sent_until = time.localtime()
        self.assert_exit(run, 0)
        self.assertIn(state["clock"], {time.strftime("%m/%d/%y %H%M", t) for t in (sent_from, sent_until)})
        self.assert_commands(simulator, ["SET REAL TIME " + state["clock"], "GET REAL TIME"])
        self.assert_clock_line(run, state["clock"])

    @staticmethod
    def restore_zone(saved_zone):
        if saved_zone is None:
            os.environ.pop("TZ", None)
        else:
            os.environ["TZ"] = saved_zone
        time.tzset()


class LogDownload(CliTest):
    def download(self, log, arguments=()):
        simulator = self.start_simulator(self.state_file(log))
        run = self.run_719k(["log", "download", "--port", simulator.pty] + list(arguments))
        return run, simulator

    def test_default_output_is_the_dialogs_csv_export_byte_for_byte_with_a_count_at_the_end(self):
        run, simulator = self.download(TWO_SESSIONS_LOG)
        self.assert_exit(run, 0)
        self.assertEqual(run.out, expected_export(TWO_SESSIONS_LOG))
        # The second session's readings carry its own user and mode.
        self.assertEqual(run.out.split(b"\r\n")[2], b'000123,000000057,"M2",05/23/08 1605,C00310, 512,ALARM')
        readings = [line for line in TWO_SESSIONS_LOG if not line.startswith(" ")]
        self.assert_messages(run, "downloaded %d log lines, %d readings" % (len(TWO_SESSIONS_LOG), len(readings)))
        self.assert_commands(simulator, ["GET LOG DATA"])

    def test_list_format_prints_the_dialogs_list_with_a_blank_line_above_each_banner(self):
        # The second session has only begun: its banner and column header.
        log = ONE_SESSION_LOG[:6] + SAMPLE_LOG[SECOND_SESSION:SECOND_SESSION + 2]
        run, _ = self.download(log, ["--format", "list"])
        self.assert_exit(run, 0)
        self.assertEqual(run.out, log_list(log))

    def test_json_format_gives_each_reading_with_the_csv_fields_unquoted_and_blanks_kept(self):
        run, _ = self.download(ONE_SESSION_LOG, ["--format", "json"])
        self.assert_exit(run, 0)
        readings = json.loads(run.out)
        self.assertEqual(readings, log_readings(ONE_SESSION_LOG))
        self.assertEqual(readings[1], {"instrument": "000123", "user_id": "000000042", "mode": "M1",
                                       "datetime": "05/23/08 1433", "location": "A00018", "ppm": " 240",
                                       "status": "HIGH", "datetime_iso": "2008-05-23T14:33", "ppm_value": 240})

    def test_json_option_before_the_command_means_json_format_and_quiet_leaves_stderr_empty(self):
        log = ONE_SESSION_LOG[:6]
        simulator = self.start_simulator(self.state_file(log))
        run = self.run_719k(["--json", "--quiet", "log", "download", "--port", simulator.pty])
        self.assert_exit(run, 0)
        self.assertEqual(json.loads(run.out), log_readings(log))
        self.assertEqual(run.err, "")

    def test_output_file_replaces_a_longer_old_file_whole_and_stdout_stays_empty(self):
        target = self.path("survey.csv")
        with open(target, "wb") as old:
            old.write(b"an earlier export\r\n" * 200)
        run, _ = self.download([], ["-o", target])
        self.assert_exit(run, 0)
        self.assertEqual(run.out, b"")
        with open(target, "rb") as written:
            self.assertEqual(written.read(), expected_export([]))

    def test_output_file_that_cannot_be_written_is_refused_before_anything_is_sent(self):
        os.mkdir(self.path("a-folder"))
        for target, reason in ((self.path("no-such-folder/survey.csv"), "no such folder"),
                               (self.path("a-folder"), "is a folder")):
            with self.subTest(reason):
                run, simulator = self.download(SAMPLE_LOG, ["-o", target])
                self.assert_exit(run, 2)
                self.assert_messages(run, "cannot write %s: %s; nothing was sent" % (target, reason))
                self.assert_nothing_sent(simulator)
        self.assertFalse(os.path.exists(self.path("no-such-folder")))


class LogErase(CliTest):
    def test_erase_with_yes_sends_the_reset_order_and_empties_the_log(self):
        state_file = self.state_file(TWO_SESSIONS_LOG)
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["log", "erase", "--yes", "--port", simulator.pty])
        self.assert_exit(run, 0)
        self.assertEqual(read_log(state_file), [])
        self.assert_commands(simulator, ["DO RESET LOG"])

    def test_erase_on_a_terminal_asks_and_erases_only_after_yes(self):
        state_file = self.state_file(TWO_SESSIONS_LOG)
        simulator = self.start_simulator(state_file)
        for answer in ["n", "", "yes please"]:
            run = self.erase_answering(simulator, answer)
            self.assert_exit(run, 0)
            self.assertEqual(run.err, QUESTION + "719k: nothing erased\n", answer)
            self.assertEqual(read_log(state_file), TWO_SESSIONS_LOG, answer)
        self.assertEqual(commands_sent(simulator.transcript), [])
        for answer in ["y", "yes"]:
            with self.subTest(answer=answer):
                run = self.erase_answering(simulator, answer)
                self.assert_exit(run, 0)
                self.assertTrue(run.err.startswith(QUESTION), run)
                self.assertEqual(read_log(state_file), [])
        self.assert_commands(simulator, ["DO RESET LOG"] * 2)

    def erase_answering(self, simulator, answer):
        """log erase with a terminal on stdin that has the answer typed."""
        keyboard, terminal = os.openpty()
        try:
            os.write(keyboard, answer.encode("ascii") + b"\n")
            return self.run_719k(["log", "erase", "--port", simulator.pty], stdin=terminal)
        finally:
            os.close(terminal)
            os.close(keyboard)
