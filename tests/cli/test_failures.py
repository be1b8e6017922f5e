"""719k when things go wrong on the line: a silent instrument, a port that
another 719k holds, Ctrl-C, SIGHUP and SIGTERM in the middle of a download,
and a download that the instrument stops answering part-way; and what
becomes of the files it writes then."""

import json
import os
import signal
import termios
import time

from cli_harness import (DOWNLOAD_START_TIMEOUT_S, SAMPLE_LOG, CliTest, csv_rows, eventually, expected_export,
                         file_bytes, wire_bytes)

# A silent instrument costs the first query 16 attention bytes, each left
# unanswered for 800 ms: 12.8 s. Fewer than 13 retries end before the lower
# bound; the upper one leaves room for a loaded machine and the sanitizers.
SILENT_WIRE = (b"?\r" * 16, b"")
SILENT_MIN_S = 10.0
SILENT_MAX_S = 20.0

# A stop ends a waiting read within one 50 ms slice; this leaves room for
# writing the rows and a slow machine, and is far below what the rest of the
# log would take.
STOP_MAX_S = 4.0
# Each stop request: its signal, the exit code and what 719k says.
STOPS = [(signal.SIGINT, 130, "interrupted"), (signal.SIGHUP, 129, "stopped: the terminal was closed"),
         (signal.SIGTERM, 143, "stopped")]
OLD_EXPORT = b"a good export of an earlier day\r\n"


def old_export_at(path):
    with open(path, "wb") as old:
        old.write(OLD_EXPORT)
    return path


class SilentInstrument(CliTest):
    def test_a_dead_line_stops_config_set_and_clock_set_after_their_first_exchange(self):
        # Four settings would cost four orders of 16 attention bytes, 51 s.
        for command in (["config", "set", "alarm=0070", "span=0100", "location=000001", "user-id=7"],
                        ["clock", "set", "--time", "2024-01-02 03:04"]):
            with self.subTest(command=command[0]):
                simulator = self.start_simulator(self.state_file(name=command[0] + ".txt"), ["--silent"])
                run = self.run_719k(command + ["--port", simulator.pty])
                self.assert_exit(run, 1)
                self.assertTrue(SILENT_MIN_S < run.seconds < SILENT_MAX_S, run)
                self.assert_messages(run, "no answer from the instrument on %s: is it connected, switched on and set "
                                     "to 2400 baud?" % simulator.pty)
                eventually(lambda: wire_bytes(simulator.transcript) == SILENT_WIRE, 5)
                self.assertEqual(wire_bytes(simulator.transcript), SILENT_WIRE)


class BusyPort(CliTest):
    def test_second_719k_on_a_held_port_exits_3_in_use_without_disturbing_the_first(self):
        # At 2400 baud with the link's pause after every line, this takes
        # about 5 s: the second 719k has long ended by then.
        log = SAMPLE_LOG[:9]
        simulator = self.start_simulator(self.state_file(log), ["--paced"])
        trace = self.path("first.trace")
        first = self.start_719k(["log", "download", "--trace", trace, "--port", simulator.pty])
        self.wait_for_download(simulator)
        # The trace is written as it goes, not at the end (its last line may
        # still be on its way).
        with open(trace) as first_lines:
            opening = [json.loads(first_lines.readline()) for _ in range(2)]
        self.assertEqual([(event["event"], event.get("kind")) for event in opening],
                         [("open", None), ("exchange", "log_transfer")])

        second = self.run_719k(["info", "--port", simulator.pty])
        self.assertIsNone(first.poll(), "the first download ended before the second 719k was refused")
        self.assert_exit(second, 3)
        self.assert_messages(second, "cannot open %s: the port is in use by another program" % simulator.pty)

        out, err = first.communicate(timeout=60)
        self.assertEqual((first.returncode, out), (0, expected_export(log)), err)
        # The first one gave the port up at its end.
        self.assert_exit(self.run_719k(["info", "--port", simulator.pty]), 0)


class Interrupt(CliTest):
    def test_every_stop_ends_a_download_at_once_keeps_what_came_and_restores_the_port(self):
        # Stopped at its seventh line, the download would need another 7 s.
        # Ctrl-C's rows go to standard output, the others' to -o FILE.
        log = SAMPLE_LOG[:25]
        for stop, code, message in STOPS:
            with self.subTest(signal=stop.name):
                simulator = self.start_simulator(self.state_file(log, name=stop.name + ".txt"),
                                                 transcript=stop.name + "-transcript.txt")
                # Held open throughout: the settings are read on the same
                # terminal before, during and after the run.
                slave = os.open(simulator.pty, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
                self.addCleanup(os.close, slave)
                before = termios.tcgetattr(slave)
                # Otherwise a port left at 2400 baud would pass for a restored one.
                self.assertNotEqual(before[4], termios.B2400)
                trace = self.path(stop.name + ".trace")
                target = None if stop == signal.SIGINT else old_export_at(self.path(stop.name + ".csv"))
                output = ["-o", target] if target else []
                download = self.start_719k(["log", "download", "--trace", trace, "--port", simulator.pty] + output)
                self.wait_for_download(simulator, 7)
                self.assertEqual(termios.tcgetattr(slave)[4:6], [termios.B2400, termios.B2400])
                stopped = time.monotonic()
                download.send_signal(stop)
                out, err = download.communicate(timeout=30)

                self.assertEqual(download.returncode, code, err)
                self.assertLess(time.monotonic() - stopped, STOP_MAX_S)
                self.assertEqual(termios.tcgetattr(slave), before)
                lines = err.decode().splitlines()
                self.assertEqual(lines[-1], "719k: " + message)
                if target:
                    self.assertEqual(file_bytes(target), OLD_EXPORT)
                    self.assertRegex(lines[0], r"^719k: the \d+ lines received are in %s\.partial$" % target)
                    out = file_bytes(target + ".partial")
                    self.assertEqual(out, expected_export(log[:int(lines[0].split()[2])]))
                else:
                    self.assertEqual(len(lines), 1, err)
                rows = csv_rows(log)
                written = out.splitlines(keepends=True)
                self.assertTrue(2 <= len(written) < len(rows), out)
                self.assertEqual(written, rows[:len(written)])
                # The trace tells a stop from a failure of the line.
                with open(trace) as trace_lines:
                    events = [json.loads(line) for line in trace_lines]
                self.assertEqual(events[-1], dict(events[-1], event="close", exit_code=code))
                self.assertEqual([event for event in events if event.get("failed")], [])
                self.assertEqual(events[-2], dict(events[-2], event="result", result="err", interrupted=True))


class FailedDownload(CliTest):
    def test_a_download_that_fails_keeps_the_old_file_and_leaves_only_lines_received_beside_it(self):
        log = SAMPLE_LOG[:10]
        cases = [
            ("stops part-way", ["--silent-after-log-lines", "7"], log[:7],
             ["the download from {port} stopped after 7 lines: the instrument stopped answering",
              "the 7 lines received are in {target}.partial"]),
            # Every echo of "GET LOG DATA" wrong: the transfer's budget of 50 runs out.
            ("never comes", ["--corrupt-echo", "51"], None,
             ["the instrument on {port} did not send its log: garbled data: check the cable and the baud rate"]),
        ]
        for name, faults, partial, messages in cases:
            with self.subTest(name):
                simulator = self.start_simulator(self.state_file(log, name=name + ".txt"), faults,
                                                 transcript=name + "-transcript.txt")
                target = old_export_at(self.path(name + ".csv"))
                run = self.run_719k(["log", "download", "-o", target, "--port", simulator.pty])
                self.assert_exit(run, 1)
                self.assertEqual(run.out, b"")
                self.assert_messages(run, *[text.format(port=simulator.pty, target=target) for text in messages])
                self.assertEqual(file_bytes(target), OLD_EXPORT)
                self.assertEqual(file_bytes(target + ".partial"), partial and expected_export(partial))


class UnwritableOutput(CliTest):
    def test_standard_output_that_cannot_be_written_fails_every_command(self):
        simulator = self.start_simulator(self.state_file())
        with open("/dev/full", "wb") as full:
            for command in (["ports"], ["info"], ["config", "get"], ["clock", "set", "--time", "2024-01-02 03:04"]):
                with self.subTest(command=command[0]):
                    run = self.run_719k(command + ["--port", simulator.pty], stdout=full)
                    self.assert_exit(run, 1)
                    self.assertEqual(run.err.splitlines()[-1], "719k: cannot write to standard output")


class EraseQuestion(CliTest):
    def test_ctrl_c_at_the_question_exits_130_with_nothing_sent_and_a_missing_port_is_never_asked_about(self):
        simulator = self.start_simulator(self.state_file(SAMPLE_LOG[:8]))
        keyboard, terminal = os.openpty()
        self.addCleanup(os.close, keyboard)
        self.addCleanup(os.close, terminal)
        erase = self.start_719k(["log", "erase", "--port", simulator.pty], stdin=terminal)
        self.wait_until(lambda: self.question_asked(erase), DOWNLOAD_START_TIMEOUT_S, "the question")
        # The port is held while the question waits.
        self.assert_exit(self.run_719k(["info", "--port", simulator.pty]), 3)
        erase.send_signal(signal.SIGINT)
        _, err = erase.communicate(timeout=10)
        self.assertEqual(erase.returncode, 130, err)
        self.assert_nothing_sent(simulator)

        missing = self.run_719k(["log", "erase", "--port", self.path("no-such-port")], stdin=terminal)
        self.assert_exit(missing, 3)
        self.assert_messages(missing, "cannot open %s: no such port" % self.path("no-such-port"))

    @staticmethod
    def question_asked(process):
        """True once the question is on standard error (read without waiting)."""
        os.set_blocking(process.stderr.fileno(), False)
        chunk = process.stderr.read()
        return bool(chunk) and b"Erase all readings" in chunk
