"""719k when things go wrong on the line: a silent instrument, a port that
another 719k holds, Ctrl-C in the middle of a download, and a download
that the instrument stops answering part-way."""

import json
import os
import signal
import termios
import time

from cli_harness import (SAMPLE_LOG, CliTest, commands_sent, csv_rows, eventually, expected_export,
                         log_lines_handed_back, wire_bytes)

# A silent instrument costs the version query 16 attention bytes, each left
# unanswered for 800 ms: 12.8 s. Fewer than 13 retries end before the lower
# bound; the upper one leaves room for a loaded machine and the sanitizers.
SILENT_QUERY_ATTEMPTS = 16
SILENT_MIN_S = 10.0
SILENT_MAX_S = 20.0
# Ctrl-C ends a waiting read within one 50 ms slice; this leaves room for
# writing the rows and a slow machine, and is far below what the rest of the
# log would take.
INTERRUPT_MAX_S = 4.0
DOWNLOAD_START_TIMEOUT_S = 30
SIGNAL_EXIT_CODE = 130


class SilentInstrument(CliTest):
    def test_info_gives_up_after_the_version_querys_16_attention_bytes_with_exit_1(self):
        simulator = self.start_simulator(self.state_file(), ["--silent"])
        run = self.run_719k(["info", "--port", simulator.pty])
        self.assert_exit(run, 1)
        self.assertEqual(run.out, b"")
        self.assert_error_lines(run)
        self.assertTrue(SILENT_MIN_S < run.seconds < SILENT_MAX_S, run)
        # Nothing but the attention bytes: the clock is not even asked for.
        expected = (b"?\r" * SILENT_QUERY_ATTEMPTS, b"")
        eventually(lambda: wire_bytes(simulator.transcript) == expected, 5)
        self.assertEqual(wire_bytes(simulator.transcript), expected)


class BusyPort(CliTest):
    def test_second_719k_on_a_held_port_exits_3_in_use_without_disturbing_the_first(self):
        # At 2400 baud with the link's pause after every line, this takes
        # about 5 s: the second 719k has long ended by then.
        log = SAMPLE_LOG[:9]
        simulator = self.start_simulator(self.state_file(log), ["--paced"])
        trace = self.path("first.trace")
        first = self.start_719k(["log", "download", "--trace", trace, "--port", simulator.pty])
        self.wait_until(lambda: "GET LOG DATA" in commands_sent(simulator.transcript), DOWNLOAD_START_TIMEOUT_S,
                        "the first download to start")
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
    def test_ctrl_c_in_a_download_writes_the_complete_rows_received_and_restores_the_port(self):
        # Interrupted at its seventh line, it would need another 7 s to end.
        log = SAMPLE_LOG[:25]
        simulator = self.start_simulator(self.state_file(log))
        # Held open throughout: the settings are read on the same terminal
        # before, during and after the run.
        slave = os.open(simulator.pty, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.addCleanup(os.close, slave)
        before = termios.tcgetattr(slave)
        # Otherwise a port left at 2400 baud would pass for a restored one.
        self.assertNotEqual(before[4], termios.B2400)

        download = self.start_719k(["log", "download", "--port", simulator.pty])
        # The heading lines and two readings have been received.
        self.wait_until(lambda: log_lines_handed_back(simulator.transcript) >= 7, DOWNLOAD_START_TIMEOUT_S,
                        "seven log lines to come over")
        self.assertEqual(termios.tcgetattr(slave)[4:6], [termios.B2400, termios.B2400])
        interrupted = time.monotonic()
        download.send_signal(signal.SIGINT)
        out, err = download.communicate(timeout=30)
        ended_after = time.monotonic() - interrupted

        self.assertEqual(download.returncode, SIGNAL_EXIT_CODE, err)
        self.assertLess(ended_after, INTERRUPT_MAX_S)
        self.assertEqual(err.decode().splitlines(), ["719k: interrupted"])
        rows = csv_rows(log)
        written = out.splitlines(keepends=True)
        self.assertTrue(2 <= len(written) < len(rows), out)
        self.assertEqual(written, rows[:len(written)])
        self.assertEqual(termios.tcgetattr(slave), before)


class FailedDownload(CliTest):
    LINES_BEFORE_SILENCE = 7

    def test_download_that_stops_part_way_exits_1_with_exactly_the_rows_of_the_lines_received(self):
        log = SAMPLE_LOG[:10]
        simulator = self.start_simulator(self.state_file(log),
                                         ["--silent-after-log-lines", str(self.LINES_BEFORE_SILENCE)])
        run = self.run_719k(["log", "download", "--port", simulator.pty])
        self.assert_exit(run, 1)
        self.assertEqual(run.out, expected_export(log[:self.LINES_BEFORE_SILENCE]))
        self.assert_messages(run, "the download did not complete: the instrument stopped answering after %d lines"
                             % self.LINES_BEFORE_SILENCE)
