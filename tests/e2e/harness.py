"""End-to-end harness: the program under Wine, the instrument simulator on a
pty, and the automation program that drives the dialog from outside.

How it works: the CTest fixture makes one Wine prefix per test run
(scripts/wine/winebox.py); each test then starts its own Xvfb display, its
simulators, the program and one automation process, and at its end kills
every Wine process of the prefix, so the next test starts clean. Paths come
from environment variables that tests/e2e/CMakeLists.txt sets, scripts/wine
among them on PYTHONPATH.

What it does not do: make the prefix (the fixture does), or check anything
itself; the test modules assert.
"""

import os
import shutil
import subprocess
import unittest

import winebox
from automation_client import Automation
from sim_process import Simulator
from simulator import setting
# Passed on to the test modules, which import everything from here.
from automation_client import IDCANCEL, IDNO, IDOK, IDYES, ids  # noqa: F401
from simulator import read_state  # noqa: F401
from winebox import windows_path  # noqa: F401

CONNECT_TIMEOUT_S = 30
CONSOLE_TIMEOUT_S = 60
# The buttons that work only while the program is connected.
INSTRUMENT_BUTTONS = [ids.IDC_DISCONNECT, ids.IDC_SET_TIME, ids.IDC_GET_CONFIG, ids.IDC_SAVE_CONFIG,
                      ids.IDC_DOWNLOAD_LOG, ids.IDC_ERASE_DATA]


def port_list_for(listed):
    """The port selector's items for the ports Windows lists: COM1 to COM4 and
    every listed port, once each, in numeric order."""
    return sorted({"COM1", "COM2", "COM3", "COM4"} | set(listed), key=lambda name: int(name[3:]))


class ProgramTest(unittest.TestCase):
    """One run of the program per test, with COM1 to COM9 as the test maps them.

    Subclasses call start_program() after mapping ports; everything started is
    stopped at the end of the test, whatever happened.
    """

    def setUp(self):
        self.prefix = setting("SET719K_PREFIX")
        self.program_exe = setting("SET719K_PROGRAM")
        self.work = os.path.join(setting("SET719K_E2E_WORK"), self.id().rsplit(".", 1)[-1])
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        for number in winebox.MAPPED_PORTS:
            winebox.unmap_port(self.prefix, number)
        self.xvfb = winebox.Xvfb()
        self.addCleanup(self.xvfb.stop)
        self.env = winebox.wine_env(self.prefix, self.xvfb.display)
        self.addCleanup(winebox.kill_wineserver, self.prefix)
        self.program = None

    def state_copy(self, name="instrument.txt"):
        """A private copy of the sample instrument, which the simulator may change."""
        path = os.path.join(self.work, name)
        shutil.copyfile(setting("SET719K_SAMPLE_STATE"), path)
        return path

    def start_simulator(self, port_number, state_file, options=(), transcript=None):
        simulator = Simulator(setting("SET719K_SIM"), state_file, options, transcript)
        self.addCleanup(simulator.stop)
        winebox.map_port(self.prefix, port_number, simulator.pty)
        return simulator

    def start_program(self):
        self.program = subprocess.Popen([winebox.WINE64, self.program_exe], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self._stop_program)
        self.ui = Automation(setting("SET719K_AUTOMATION"), self.env)
        self.addCleanup(self.ui.stop)
        self.ui.attach()
        return self.ui

    def connect(self):
        """Presses Connect and waits until the program is connected."""
        self.ui.click(ids.IDC_CONNECT)
        self.ui.wait_until(lambda: self.ui.enabled(ids.IDC_DISCONNECT), CONNECT_TIMEOUT_S, what="connected")

    def _stop_program(self):
        if self.program.poll() is None:
            self.program.kill()
            self.program.wait()

    def serial_ports_listed(self):
        """The port names that Windows lists in HARDWARE\\DEVICEMAP\\SERIALCOMM."""
        query = subprocess.run([winebox.WINE64, "reg", "query", r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"],
                               env=self.env, capture_output=True, text=True, timeout=60, check=True)
        return [line.split()[-1] for line in query.stdout.splitlines() if "REG_SZ" in line]

    def wait_exit(self, timeout_s=20):
        return self.program.wait(timeout=timeout_s)

    def run_console_program(self, exe, arguments):
        """A console program under Wine in this test's prefix, its input off
        a terminal: the finished run, its output as bytes."""
        return subprocess.run([winebox.WINE64, exe] + arguments, env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=CONSOLE_TIMEOUT_S)
