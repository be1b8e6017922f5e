"""The X display under Wine as a camera and a mouse: pictures of screen
rectangles, and clicks, for the guide's screenshots (scripts/screenshots)
and the picture of scripts/run's unattended session.

How it works: a picture is ImageMagick's import of the root window, cut to
a rectangle and written as a small palette PNG without time stamps, so that
an unchanged screen gives the same file again. A click is a pointer motion
and a press and release of the first button sent through the XTEST
extension of Xvfb (libXtst, through ctypes): the program gets it as it
would get the operator's click, with everything that follows from it (a
combo box drops down and sends its notification).

What it does not do: find windows; callers take rectangles from the
automation program (scripts/wine/automation_client.py).
"""

import ctypes
import subprocess
import time

# Colours in a picture: the dialog needs few; anti-aliased text keeps its
# look with this many shades.
PALETTE_COLOURS = 64
CLICK_SETTLE_S = 0.1
_LEFT_BUTTON = 1
_CURRENT_SCREEN = -1


def union(*rects):
    """The smallest rectangle (left, top, right, bottom) holding all of them."""
    return (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))


def take(display, rect, path):
    """Writes the screen rectangle (left, top, right, bottom) to path as PNG."""
    left, top, right, bottom = (max(0, value) for value in rect)
    geometry = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    shot = subprocess.run(["import", "-display", display, "-window", "root", "-crop", geometry, "+repage",
                           "png:-"], check=True, capture_output=True).stdout
    subprocess.run(["convert", "png:-", "-strip", "-dither", "None", "-colors", str(PALETTE_COLOURS),
                    "-define", "png:exclude-chunks=date,time", "PNG8:" + path], input=shot, check=True)


class Mouse:
    """The pointer of one X display."""

    def __init__(self, display):
        self._x11 = ctypes.CDLL("libX11.so.6")
        self._xtest = ctypes.CDLL("libXtst.so.6")
        self._x11.XOpenDisplay.restype = ctypes.c_void_p
        self._x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x11.XFlush.argtypes = [ctypes.c_void_p]
        self._x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._xtest.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                     ctypes.c_ulong]
        self._xtest.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self._display = self._x11.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError("cannot open the X display " + display)

    def click(self, x, y):
        """A left click at screen position (x, y)."""
        self._xtest.XTestFakeMotionEvent(self._display, _CURRENT_SCREEN, x, y, 0)
        self._x11.XFlush(self._display)
        time.sleep(CLICK_SETTLE_S)
        for pressed in (True, False):
            self._xtest.XTestFakeButtonEvent(self._display, _LEFT_BUTTON, pressed, 0)
            self._x11.XFlush(self._display)
            time.sleep(CLICK_SETTLE_S)

    def close(self):
        self._x11.XCloseDisplay(self._display)
