"""719k's command line: the common options before and after the command, the
port from the environment, help and version, and every usage error, which
must exit 2 before anything reaches the instrument."""

import json

from cli_harness import CliTest, aligned, read_log, read_state, shown

# Every level of the command tree, with what its help has to mention: the
# command's own name, or an option of its own.
HELP_LEVELS = [
    ([], "config"),
    (["ports"], "ports"),
    (["info"], "info"),
    (["config"], "set"),
    (["config", "get"], "get"),
    (["config", "set"], "set"),
    (["clock"], "set"),
    (["clock", "set"], "--time"),
    (["log"], "download"),
    (["log", "download"], "--format"),
    (["log", "erase"], "--yes"),
]

# config set lines that must be refused as a whole: one of each kind of
# mistake, and a good assignment next to a bad one.
REFUSED_ASSIGNMENTS = {
    "no assignment": [],
    "a name without a value": ["alarm"],
    "an unknown name": ["colour=red"],
    "the read-only operating mode": ["operating-mode=M2"],
    "the same name twice": ["alarm=0010", "alarm=0020"],
    "the same name twice, the same value": ["span=0100", "span=0100"],
    "instrument too long": ["instrument=1234567"],
    "user-id too long": ["user-id=1234567890"],
    "location too long": ["location=1234567"],
    "alarm too long": ["alarm=12345"],
    "span too long": ["span=12345"],
    "response-factor too long": ["response-factor=1.234"],
    "a control character": ["location=12\x013"],
    "a tab": ["user-id=12\t34"],
    "a line feed": ["alarm=12\n"],
    "the unit separator": ["span=\x1f"],
    "a delete": ["instrument=12\x7f"],
    "access level 4": ["access-level=4"],
    "access level 0": ["access-level=0"],
    "an empty access level": ["access-level="],
    "access level with a blank": ["access-level= 1"],
    "access level 01": ["access-level=01"],
    "letters": ["alarm=abcd"],
    "a decimal comma": ["span=1,5"],
    "two decimal points": ["span=1.2.3"],
    "a decimal point where the instrument has none": ["instrument=1.5"],
    "a sign": ["alarm=+12"],
    "a byte above ASCII": ["user-id=12\u00e934"],
    "a good setting before a bad one": ["alarm=0070", "span=12345"],
    "a good setting after a bad one": ["access-level=7", "user-id=000000777"],
}

REFUSED_TIMES = [
    "1999-12-31 23:59",  # before the instrument's years
    "2100-01-01 00:00",  # after them
    "2023-02-29 12:00",  # no leap day that year
    "2024-04-31 12:00",
    "2024-13-01 12:00",
    "2024-01-01 24:00",
    "2024-01-01 12:60",
    "2024-01-01",
    "yesterday",
    "",
]


class CommonOptions(CliTest):
    def test_port_quiet_and_json_work_before_and_after_the_command(self):
        state_file = self.state_file()
        simulator = self.start_simulator(state_file)
        state = read_state(state_file)
        text = aligned([("firmware", state["firmware_version"]), ("clock", shown(state["clock"]))])
        for arguments in (["--port", simulator.pty, "--quiet", "info"], ["info", "--quiet", "--port", simulator.pty]):
            with self.subTest(arguments=arguments):
                run = self.run_719k(arguments)
                self.assert_exit(run, 0)
                self.assertEqual(run.text(), text)
        before = self.run_719k(["--json", "info", "--port", simulator.pty])
        self.assert_exit(before, 0)
        self.assertEqual(json.loads(before.out)["firmware"], state["firmware_version"])
        # After a command two words long.
        after = self.run_719k(["clock", "set", "--time", "2024-01-02 03:04", "--json", "--port", simulator.pty])
        self.assert_exit(after, 0)
        self.assertEqual(json.loads(after.out)["clock_iso"], "2024-01-02T03:04")

    def test_port_comes_from_set719k_port_and_the_option_wins_over_it(self):
        state_file = self.state_file(firmware_version="2.7")
        simulator = self.start_simulator(state_file)
        from_environment = self.run_719k(["info"], env={"SET719K_PORT": simulator.pty})
        self.assert_exit(from_environment, 0)
        self.assertTrue(from_environment.text().startswith("firmware  2.7\n"), from_environment)
        overridden = self.run_719k(["info", "--port", simulator.pty],
                                   env={"SET719K_PORT": self.path("no-such-port")})
        self.assert_exit(overridden, 0)

    def test_no_port_given_is_a_usage_error(self):
        for command in (["info"], ["config", "get"], ["config", "set", "alarm=0070"], ["clock", "set"],
                        ["log", "download"], ["log", "erase", "--yes"]):
            with self.subTest(command=command):
                run = self.run_719k(command)
                self.assert_exit(run, 2)
                self.assert_messages(run, "no port given: use --port or set SET719K_PORT")

    def test_port_that_does_not_exist_exits_3_and_says_so(self):
        missing = self.path("no-such-port")
        run = self.run_719k(["info", "--port", missing])
        self.assert_exit(run, 3)
        self.assert_messages(run, "cannot open %s: no such port" % missing)


class HelpAndVersion(CliTest):
    def test_help_on_every_level_exits_0_on_stdout_and_sends_nothing(self):
        simulator = self.start_simulator(self.state_file())
        port = {"SET719K_PORT": simulator.pty}
        for words, mentioned in HELP_LEVELS:
            for option in ("--help", "-h"):
                with self.subTest(command=words + [option]):
                    run = self.run_719k(words + [option], env=port)
                    self.assert_exit(run, 0)
                    self.assertIn(mentioned, run.text())
                    self.assertEqual(run.err, "")
        # Help on a command that changes the instrument must not run it.
        self.assert_nothing_sent(simulator)

    def test_version_prints_the_programs_name_and_version(self):
        for option in ("--version", "-V"):
            run = self.run_719k([option])
            self.assert_exit(run, 0)
            self.assertEqual(run.text(), "719k 1.0.0\n")

    def test_help_word_is_help_on_every_level(self):
        for words, _ in HELP_LEVELS:
            with self.subTest(command=words):
                self.assertEqual(self.run_719k(["help"] + words).out, self.run_719k(words + ["--help"]).out)

    def test_config_set_help_lists_what_each_setting_takes(self):
        text = self.run_719k(["help", "config", "set"]).text()
        for line in ("instrument        instrument number: up to 6 digits", "access-level      access level: 1, 2 or 3",
                     "span              span concentration: up to 4 digits and a decimal point"):
            self.assertIn(line, text)


class UsageErrors(CliTest):
    def test_a_word_or_option_not_known_is_named_with_the_ones_that_are(self):
        cases = [
            (["inof"], 'unknown command "inof"; commands: ports, info, config, clock, log, collect, dock, archive, '
                       'report'),
            (["config", "gte"], 'unknown command "gte"; commands of config: get, set'),
            ([], "no command given; commands: ports, info, config, clock, log, collect, dock, archive, report"),
            (["log"], "log needs a command; commands of log: download, erase"),
            (["info", "--prot", "x"], 'unknown option "--prot"; options of info: --help, --version, --port, '
                                      "--archive, --trace, --json, --quiet, --progress"),
            (["info", "extra"], 'unexpected argument "extra" after info'),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=arguments):
                run = self.run_719k(arguments)
                self.assert_exit(run, 2)
                self.assert_messages(run, message + " (see 719k --help)")

    def assert_refused(self, run, what):
        self.assertEqual(run.code, 2, "%s: %r" % (what, run))
        self.assertEqual(run.out, b"", what)
        self.assert_error_lines(run)

    def test_parser_errors_exit_2_and_send_nothing(self):
        simulator = self.start_simulator(self.state_file())
        for arguments in (["--frobnicate", "info"], ["info", "--frobnicate"], ["dance"], [],
                          ["log", "download", "--format", "xml"], ["config"], ["info", "--port"],
                          ["info", "extra"], ["clock", "set", "--time"]):
            with self.subTest(arguments=arguments):
                self.assert_refused(self.run_719k(arguments, env={"SET719K_PORT": simulator.pty}), arguments)
        self.assert_nothing_sent(simulator)

    def test_refused_config_set_exits_2_changes_nothing_and_sends_nothing(self):
        state_file = self.state_file()
        before = read_state(state_file)
        simulator = self.start_simulator(state_file)
        for what, assignments in REFUSED_ASSIGNMENTS.items():
            with self.subTest(what):
                run = self.run_719k(["config", "set"] + assignments + ["--port", simulator.pty])
                self.assert_refused(run, what)
        self.assert_nothing_sent(simulator)
        self.assertEqual(read_state(state_file), before)

    def test_refused_clock_time_exits_2_and_sends_nothing(self):
        simulator = self.start_simulator(self.state_file())
        for refused in REFUSED_TIMES:
            with self.subTest(time=refused):
                run = self.run_719k(["clock", "set", "--time", refused, "--port", simulator.pty])
                self.assert_refused(run, refused)
        self.assert_nothing_sent(simulator)

    def test_log_erase_without_yes_off_a_terminal_exits_2_and_sends_nothing(self):
        state_file = self.state_file(["05/23/08 1432   A00017        12    OK"])
        simulator = self.start_simulator(state_file)
        run = self.run_719k(["log", "erase", "--port", simulator.pty])
        self.assert_exit(run, 2)
        self.assert_messages(run, "log erase needs --yes when not run from a terminal; nothing was sent")
        self.assert_nothing_sent(simulator)
        self.assertEqual(read_log(state_file), ["05/23/08 1432   A00017        12    OK"])
