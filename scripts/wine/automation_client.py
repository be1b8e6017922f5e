"""Client of the automation program (tools/automation/automation.cpp):
drives the program's main dialog under Wine from outside, one command line
at a time.

Used by the end-to-end tests and by scripts/run's unattended session. Every
call waits for the automation program's answer with a time-out; a read that
the busy program does not answer in time raises AutomationError.
"""

import collections
import os
import queue
import subprocess
import threading
import time

import winebox

TITLE = "TARVELL 719K"
ATTACH_TIMEOUT_MS = 30000
ANSWER_TIMEOUT_S = 20
REPO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


class ControlIds:
    """The dialog's ids, read from the header that the program is built with."""

    def __init__(self, header):
        with open(header) as source:
            for line in source:
                words = line.split()
                if len(words) == 3 and words[0] == "#define":
                    setattr(self, words[1], int(words[2]))


ids = ControlIds(os.path.join(REPO, "app", "control_ids.h"))
# The buttons of message boxes and common dialogs, as Windows numbers them.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7


class AutomationError(Exception):
    pass


# What a watch of the window's answers found: samples taken, the slowest
# answer in ms, samples at which Windows called the window hung, sends left
# unanswered, and whether the end condition came before the time limit.
AnswerWatch = collections.namedtuple("AnswerWatch", "samples slowest_ms hung unanswered ended")


class Box:
    """A message box or common dialog as the automation program lists it."""

    def __init__(self, line):
        fields = dict(field.split("=", 1) for field in line.split("\t"))
        self.hwnd = fields.pop("hwnd")
        self.owner = fields.pop("owner", "")
        self.caption = unescape(fields.pop("caption", ""))
        self.text = unescape(fields.pop("text", ""))
        self.has_icon = fields.pop("icon", "0") == "1"
        self.buttons = {int(key.split(".", 1)[1]): unescape(value)
                        for key, value in fields.items() if key.startswith("button.")}

    def __repr__(self):
        return "Box(caption=%r, text=%r, owner=%s, buttons=%r)" % (
            self.caption, self.text, self.owner, self.buttons)


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class Automation:
    """The automation program, one command line in, one answer out."""

    def __init__(self, exe, env):
        self.process = subprocess.Popen([winebox.WINE64, exe], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def _line(self, timeout):
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise AutomationError("no answer within %d s" % timeout)
        if line is None:
            raise AutomationError("the automation program ended")
        return line

    def command(self, line, timeout=ANSWER_TIMEOUT_S):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self._line(timeout)
        if not answer.startswith("ok"):
            raise AutomationError("%s: %s" % (line, answer))
        return answer[3:]

    def list_command(self, line):
        count = int(self.command(line))
        return [self._line(ANSWER_TIMEOUT_S) for _ in range(count)]

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()

    # --- the main dialog ---------------------------------------------------
    def attach(self, title=TITLE, timeout_ms=ATTACH_TIMEOUT_MS):
        return self.command("attach %d %s" % (timeout_ms, escape(title)), timeout_ms / 1000 + 10)

    def click(self, control_id):
        self.command("click %d" % control_id)

    def text(self, control_id):
        return unescape(self.command("text %d" % control_id))

    def set_text(self, control_id, text):
        self.command("set_text %d %s" % (control_id, escape(text)))

    def type_text(self, control_id, text):
        self.command("type %d %s" % (control_id, escape(text)))

    def enabled(self, control_id):
        return self.command("enabled %d" % control_id) == "1"

    def class_name(self, control_id):
        return self.command("class %d" % control_id)

    def progress(self, control_id):
        """(position, low, high) of a progress bar."""
        return tuple(int(v) for v in self.command("progress %d" % control_id).split())

    def list_items(self, control_id):
        return [unescape(item) for item in self.list_command("list %d" % control_id)]

    def combo_items(self, control_id):
        return [unescape(item) for item in self.list_command("combo %d" % control_id)]

    def drop_down(self, control_id):
        self.command("drop_down %d" % control_id)

    def watch_answers(self, limit_s, interval_ms=50, until_text=None, until_box=False):
        """Sends WM_NULL to the dialog every interval_ms until the control
        until_text = (id, text) names shows that text, or a box is shown
        (until_box), or limit_s has passed."""
        until = "box" if until_box else "text %d %s" % (until_text[0], escape(until_text[1]))
        answer = self.command("watch %d %d %s" % (limit_s * 1000, interval_ms, until), limit_s + 10)
        samples, slowest, hung, unanswered, ended = answer.split()
        return AnswerWatch(int(samples), float(slowest), int(hung), int(unanswered), ended == "1")

    def select(self, control_id, index):
        self.command("select %d %d" % (control_id, index))

    def focus(self, control_id):
        self.command("focus %d" % control_id)

    def focused(self):
        return int(self.command("focused"))

    def key(self, name):
        self.command("key " + name)

    def rect(self, control_id):
        return tuple(int(v) for v in self.command("rect %d" % control_id).split())

    def window_rect(self):
        return tuple(int(v) for v in self.command("window_rect").split())

    def screen_rect(self, control_id):
        """A control's rectangle (left, top, right, bottom) on the screen."""
        return tuple(int(v) for v in self.command("screen_rect %d" % control_id).split())

    def resize(self, width, height):
        self.command("resize %d %d" % (width, height))

    def close(self):
        self.command("close")

    def alive(self):
        return self.command("alive") == "1"

    def caption_icon(self, icon_id, exe):
        return self.command("caption_icon %d %s" % (icon_id, escape(exe))) == "1"

    # --- boxes and common dialogs ------------------------------------------
    def boxes(self):
        return [Box(line) for line in self.list_command("boxes")]

    def box_icon(self, box):
        return self.command("box_icon " + box.hwnd)

    def box_rect(self, box):
        """A box's rectangle (left, top, right, bottom) on the screen."""
        return tuple(int(v) for v in self.command("box_rect " + box.hwnd).split())

    def press(self, box, button_id):
        self.command("press %s %d" % (box.hwnd, button_id))

    def file_name(self, box, path):
        self.command("file_name %s %s" % (box.hwnd, escape(path)))

    def answer(self, box, button_id, timeout_s=10):
        """Presses a box's button and waits until the box has gone."""
        self.press(box, button_id)
        self.wait_until(lambda: box.hwnd not in [b.hwnd for b in self.boxes()], timeout_s,
                        what="box %r closed" % box.caption)

    def wait_for_boxes(self, timeout_s, count=1, poll_s=0.1):
        """Waits until at least count boxes are shown; returns them. A box is
        taken once it has its caption: Wine creates the window first and sets
        the caption a moment later, which a loaded machine can catch."""
        deadline = time.monotonic() + timeout_s
        while True:
            shown = self.boxes()
            if len(shown) >= count and all(box.caption for box in shown):
                return shown
            if time.monotonic() > deadline:
                raise AutomationError("no box within %.0f s" % timeout_s)
            time.sleep(poll_s)

    def wait_until(self, condition, timeout_s, poll_s=0.1, what="condition"):
        """Polls condition; a read that times out because the program is
        busy in a serial read counts as not yet."""
        deadline = time.monotonic() + timeout_s
        while True:
            try:
                if condition():
                    return
            except AutomationError:
                pass
            if time.monotonic() > deadline:
                raise AutomationError("%s not met within %.0f s" % (what, timeout_s))
            time.sleep(poll_s)
