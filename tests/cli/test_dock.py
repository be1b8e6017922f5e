"""719k dock against several instrument-sims at once: each port served on
its own, an instrument collected once while it stays docked and again when
it comes back, a port that another program holds passed over, and a stop
that loses nothing. The ports are symbolic links that each simulator keeps
pointing at its pty (--link), as /dev/serial/by-id/ links point at USB
adapters; a simulator that stops is an instrument taken off its dock.
"""

import fcntl
import json
import os
import signal

from cli_harness import SAMPLE_LOG, CliTest, read_log

POLL_S = "1"
EVENT_TIMEOUT_S = 60
# A short log each, with instrument numbers of their own.
FIRST_LOG = SAMPLE_LOG[:7]
SECOND_LOG = SAMPLE_LOG[:5] + SAMPLE_LOG[9:12]


class Dock(CliTest):
    def setUp(self):
        super().setUp()
        self.events = []
        self.pending = b""

    def dock(self, *ports, options=()):
        process = self.start_719k(["dock", "--json", "--poll", POLL_S, "--archive", self.archive] + list(options) +
                                  [word for port in ports for word in ("--port", port)])
        os.set_blocking(process.stdout.fileno(), False)
        return process

    def docked_instrument(self, name, log, **values):
        link = self.path(name)
        state = self.state_file(log, name=name + ".txt", **values)
        return self.start_simulator(state, ["--link", link], transcript=name + ".transcript"), link, state

    def wait_for(self, process, event, port, count=1):
        """Until `count` events of the kind have come from the port."""
        def arrived():
            self.pending += process.stdout.read() or b""
            *lines, self.pending = self.pending.split(b"\n")
            self.events += [json.loads(line) for line in lines]
            return self.count(event, port) >= count
        self.wait_until(arrived, EVENT_TIMEOUT_S, "%s %s" % (event, port))

    def count(self, event, port):
        return sum(1 for seen in self.events if seen["event"] == event and seen["port"] == port)

    def test_each_instrument_is_collected_once_per_docking_and_a_held_port_is_passed_over(self):
        _, first, _ = self.docked_instrument("first", FIRST_LOG)
        second_simulator, second, second_state = self.docked_instrument("second", SECOND_LOG,
                                                                         instrument_number="000456")
        held_simulator, held, _ = self.docked_instrument("held", FIRST_LOG, instrument_number="000789")
        holder = os.open(held_simulator.pty, os.O_RDWR | os.O_NOCTTY)
        fcntl.flock(holder, fcntl.LOCK_EX)

        dock = self.dock(first, second, held)
        self.wait_for(dock, "collected", first)
        self.wait_for(dock, "collected", second)
        collected = {seen["port"]: seen for seen in self.events if seen["event"] == "collected"}
        self.assertEqual([(collected[port]["instrument"], collected[port]["readings"], collected[port]["complete"])
                          for port in (first, second)], [("000123", 2, True), ("000456", 3, True)])
        self.assertEqual(self.count("docked", held), 0, "a port another program holds is passed over")

        fcntl.flock(holder, fcntl.LOCK_UN)
        os.close(holder)
        self.wait_for(dock, "collected", held)
        # Taken off and put back: collected again, and only then.
        second_simulator.stop()
        self.wait_for(dock, "undocked", second)
        self.start_simulator(second_state, ["--link", second], transcript="second-again.transcript")
        self.wait_for(dock, "collected", second, count=2)

        dock.send_signal(signal.SIGTERM)
        dock.communicate(timeout=30)
        self.assertEqual(dock.returncode, 0)
        self.assertEqual([self.count("collected", port) for port in (first, second, held)], [1, 2, 1])
        self.assertEqual(self.count("docked", first), 1)
        self.assertEqual(sorted(download["port"] for download in self.downloads()),
                         sorted([first, second, second, held]))

    def test_a_stop_during_a_download_stores_it_incomplete_and_erases_nothing(self):
        simulator, port, state = self.docked_instrument("docked", SAMPLE_LOG[:20])
        dock = self.dock(port, options=["--erase"])
        self.wait_for_download(simulator, 6)
        dock.send_signal(signal.SIGINT)
        dock.communicate(timeout=30)
        self.assertEqual(dock.returncode, 130)
        self.assertEqual([(download["complete"], download["erased"]) for download in self.downloads()],
                         [(False, False)])
        self.assertEqual(read_log(state), SAMPLE_LOG[:20], "nothing erased after a stop request")
