"""--trace: the JSON Lines record of an exchange, for a support technician.
Its writes and reads must add up to exactly the bytes on the wire (as the
simulator's transcript has them), and every event must be well-formed."""

import json
import re

from cli_harness import SAMPLE_LOG, CliTest, eventually, wire_bytes

PROGRAM = "719k 1.0.0"
STAGES = {"attention", "echo", "response", "hand_back", "closing", "log_line", "line_acknowledgement"}
OUTCOMES = {"passed", "retry", "failed"}
KINDS = {"query", "order", "log_transfer"}
# The fields each event has besides "t" and "event": always, and maybe.
FIELDS = {
    "open": ({"time", "program", "command_line", "port"}, set()),
    "exchange": ({"kind", "command"}, set()),
    "write": ({"data"}, {"failed", "interrupted"}),
    "read": ({"requested", "data"}, {"failed", "interrupted"}),
    "stage": ({"stage", "outcome"}, {"budget_left"}),
    "result": ({"result"}, {"failed", "interrupted"}),
    "close": ({"exit_code"}, set()),
}
LOCAL_TIME_WITH_OFFSET = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d"
FAILED_RESULT = "err"
# The echo budget: this many wrong echoes in a row fail a query.
QUERY_ATTEMPTS = 16


class Trace(CliTest):
    def traced(self, arguments, log=(), options=()):
        simulator = self.start_simulator(self.state_file(log), options)
        trace = self.path("run.trace")
        command_line = arguments + ["--trace", trace, "--port", simulator.pty]
        run = self.run_719k(command_line)
        events = self.well_formed_events(trace, simulator.pty)
        # The first event tells where and what; the last how it ended.
        self.assertEqual(events[0]["command_line"], command_line)
        self.assertRegex(events[0]["time"], LOCAL_TIME_WITH_OFFSET)
        self.assertEqual(events[-1]["exit_code"], run.code)
        return run, simulator, events

    def well_formed_events(self, trace, port):
        with open(trace, encoding="utf-8") as source:
            text = source.read()
        self.assertTrue(text.endswith("\n"), "the last line is not complete")
        events = [json.loads(line) for line in text.split("\n")[:-1]]
        times = []
        for event in events:
            self.assertIsInstance(event, dict)
            self.assertIn(event.get("event"), FIELDS, event)
            always, maybe = FIELDS[event["event"]]
            self.assertTrue(always <= set(event) <= always | maybe | {"t", "event"}, event)
            self.assertIsInstance(event["t"], (int, float), event)
            times.append(event["t"])
            self.check_fields(event)
        self.assertGreaterEqual(min(times), 0)
        self.assertEqual(times, sorted(times), "time goes backwards")
        self.assertEqual((events[0]["event"], events[0]["port"], events[0]["program"]), ("open", port, PROGRAM))
        self.assertEqual(events[-1]["event"], "close")
        self.assertEqual([event for event in events[1:-1] if event["event"] in ("open", "close")], [])
        # Each exchange has its result before the next one starts.
        sequence = [event["event"] for event in events if event["event"] in ("exchange", "result")]
        self.assertEqual(sequence, ["exchange", "result"] * (len(sequence) // 2))
        return events

    def check_fields(self, event):
        kind = event["event"]
        if kind in ("write", "read"):
            self.assertIsInstance(event["data"], str, event)
            self.assertTrue(all(ord(character) < 256 for character in event["data"]), event)
            self.assertIn(event.get("failed", True), (True,), event)
            self.assertNotIn("failed" in event and "interrupted" in event, (True,), event)
        if kind == "read":
            self.assertIsInstance(event["requested"], int, event)
            self.assertTrue(len(event["data"]) <= event["requested"], event)
        elif kind == "stage":
            self.assertIn(event["stage"], STAGES, event)
            self.assertIn(event["outcome"], OUTCOMES, event)
            self.assertTrue(isinstance(event.get("budget_left", 0), int) and event.get("budget_left", 0) >= 0, event)
        elif kind == "exchange":
            self.assertIn(event["kind"], KINDS, event)
            self.assertIsInstance(event["command"], str, event)
        elif kind == "result":
            self.assertIsInstance(event["result"], str, event)
            # A failed exchange says so; its text alone could be a response line.
            self.assertEqual(event.get("failed", False) or event.get("interrupted", False),
                             event["result"] == FAILED_RESULT, event)

    def assert_reproduces_the_wire(self, events, simulator):
        written = b"".join(event["data"].encode("latin-1") for event in events if event["event"] == "write")
        read = b"".join(event["data"].encode("latin-1") for event in events if event["event"] == "read")
        self.assertTrue(written and read)
        eventually(lambda: wire_bytes(simulator.transcript) == (written, read), 5)
        host, instrument = wire_bytes(simulator.transcript)
        self.assertEqual(written, host)
        self.assertEqual(read, instrument)

    @staticmethod
    def exchanges(events):
        """(kind, command, result) of each exchange."""
        starts = [event for event in events if event["event"] == "exchange"]
        results = [event["result"] for event in events if event["event"] == "result"]
        return [(start["kind"], start["command"], result) for start, result in zip(starts, results)]

    @staticmethod
    def stages(events, name):
        return [(event["outcome"], event.get("budget_left")) for event in events
                if event["event"] == "stage" and event["stage"] == name]

    def test_trace_of_an_order_and_a_query_with_one_bad_echo_reproduces_the_wire(self):
        run, simulator, events = self.traced(["clock", "set", "--time", "2024-01-02 03:04"],
                                             options=["--corrupt-echo", "1"])
        self.assert_exit(run, 0)
        self.assert_reproduces_the_wire(events, simulator)
        order = "SET REAL TIME 01/02/24 0304"
        # The query's result is the instrument's response line: its label
        # padded with dots to the value's position, then the value.
        self.assertEqual(self.exchanges(events), [("order", order, order),
                                                  ("query", "GET REAL TIME", "REAL TIME........01/02/24 0304")])
        # The one wrong echo cost one unit of the order's echo budget; the
        # query starts with a whole budget.
        echoes = self.stages(events, "echo")
        self.assertEqual([outcome for outcome, _ in echoes], ["retry", "passed", "passed"])
        self.assertEqual(echoes[1][1], echoes[0][1])
        self.assertEqual(echoes[2][1], echoes[0][1] + 1)
        self.assertEqual([event for event in events if event["event"] == "stage" and event["outcome"] != "passed"
                          and event["stage"] != "echo"], [])

    def test_reads_that_time_out_carry_no_failure_mark(self):
        run, _, events = self.traced(["info"], options=["--ignore-attention", "3"])
        self.assert_exit(run, 0)
        reads = [event for event in events if event["event"] == "read"]
        self.assertEqual([event["data"] for event in reads[:3]], ["", "", ""])
        self.assertEqual([event for event in events if "failed" in event or "interrupted" in event], [])

    def test_trace_of_a_failed_query_shows_each_retry_down_to_its_failure_and_err(self):
        run, simulator, events = self.traced(["info"], options=["--corrupt-echo", str(QUERY_ATTEMPTS)])
        self.assert_exit(run, 1)
        self.assert_reproduces_the_wire(events, simulator)
        self.assertEqual(self.exchanges(events), [("query", "GET VERSION NUMBER", FAILED_RESULT)])
        echoes = self.stages(events, "echo")
        self.assertEqual([outcome for outcome, _ in echoes], ["retry"] * (QUERY_ATTEMPTS - 1) + ["failed"])
        budgets = [budget for _, budget in echoes]
        self.assertEqual(budgets[:-1], list(range(QUERY_ATTEMPTS - 2, -1, -1)))
        self.assertEqual(budgets[-1], 0)

    def test_trace_of_a_log_download_reproduces_the_wire(self):
        log = SAMPLE_LOG[:3]
        run, simulator, events = self.traced(["log", "download"], log)
        self.assert_exit(run, 0)
        self.assert_reproduces_the_wire(events, simulator)
        exchanges = self.exchanges(events)
        self.assertEqual([kind for kind, _, _ in exchanges], ["log_transfer"])
        self.assertNotEqual(exchanges[0][2], FAILED_RESULT)
        self.assertEqual([outcome for outcome, _ in self.stages(events, "line_acknowledgement")],
                         ["passed"] * len(log))
        self.assertGreaterEqual(len(self.stages(events, "log_line")), len(log))
