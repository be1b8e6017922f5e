"""What a print job captured from Wine's PostScript driver holds: its title
and, page by page, each text run with its position in device units.

How it works: the driver writes each page in device units (its page setup
scales to the device resolution, moves the origin to the printable area's
corner and turns the y axis downwards), so the numbers of "moveto" are the
coordinates the program passed to TextOut. For each TextOut the driver
first fills the text's cell with the background colour (a rectangle drawn
from the cell's top left corner, the program's x and y under top-left
alignment), then moves to the baseline and shows the text glyph by glyph
("/name glyphshow") in a font it embeds. Glyph names are turned back into
characters; the driver names the blank of its default font "uni00A0".

What it does not do: interpret PostScript. It reads the driver's own
output line by line and refuses any text operator it does not know, so a
change in the driver makes the tests fail instead of losing text unseen.
"""

import re
import subprocess
from dataclasses import dataclass, field

_MOVETO = re.compile(r"^(-?\d+) (-?\d+) moveto$")
_RLINETO = re.compile(r"^(-?\d+) (-?\d+) rlineto$")
_GLYPHSHOW = re.compile(r"^/(\S+) glyphshow$")
_UNKNOWN_TEXT_OPERATOR = re.compile(r"\b(show|ashow|widthshow|awidthshow|xshow|yshow|xyshow|kshow|cshow)$")
_UNICODE_GLYPH = re.compile(r"^uni([0-9A-F]{4})$")

# Adobe glyph names of the printable ASCII characters that are not their own
# name (letters are).
_GLYPH_CHARACTERS = {
    "space": " ", "uni00A0": " ", "exclam": "!", "quotedbl": '"', "numbersign": "#", "dollar": "$",
    "percent": "%", "ampersand": "&", "quotesingle": "'", "parenleft": "(", "parenright": ")",
    "asterisk": "*", "plus": "+", "comma": ",", "hyphen": "-", "period": ".", "slash": "/", "zero": "0",
    "one": "1", "two": "2", "three": "3", "four": "4", "five": "5", "six": "6", "seven": "7", "eight": "8",
    "nine": "9", "colon": ":", "semicolon": ";", "less": "<", "equal": "=", "greater": ">", "question": "?",
    "at": "@", "bracketleft": "[", "backslash": "\\", "bracketright": "]", "asciicircum": "^",
    "underscore": "_", "grave": "`", "braceleft": "{", "bar": "|", "braceright": "}", "asciitilde": "~",
}


class UnreadableJob(Exception):
    pass


@dataclass
class TextRun:
    """One TextOut: the top left corner of its cell, its baseline, its text."""
    x: int
    y: int
    baseline: int
    text: str = ""


@dataclass
class PrintedJob:
    title: str = ""
    pages: list = field(default_factory=list)  # one list of TextRun per page


def glyph_character(name):
    if len(name) == 1 and name.isalpha():
        return name
    if name in _GLYPH_CHARACTERS:
        return _GLYPH_CHARACTERS[name]
    unicode_name = _UNICODE_GLYPH.match(name)
    if unicode_name:
        return chr(int(unicode_name.group(1), 16))
    raise UnreadableJob("glyph /%s stands for no character this reader knows" % name)


def read_job(path):
    with open(path, "rb") as source:
        lines = source.read().decode("latin-1").splitlines()
    job = PrintedJob()
    page = None
    cell = None  # (x, y) of the last background rectangle
    move = None  # the last moveto, not yet used
    run = None
    for line in lines:
        line = line.strip()
        if line.startswith("%%Title: ") and not job.title:
            job.title = line[len("%%Title: "):]
        elif line.startswith("%%Page: "):
            page = []
            job.pages.append(page)
            cell = move = run = None
        elif _MOVETO.match(line):
            move = tuple(int(v) for v in _MOVETO.match(line).groups())
            run = None
        elif _RLINETO.match(line) and move is not None:
            cell, move = move, None
        elif _GLYPHSHOW.match(line):
            if page is None:
                raise UnreadableJob("text outside a page")
            if run is None:
                if move is None or cell is None or cell[0] != move[0]:
                    raise UnreadableJob("text without its cell: %r after %r" % (move, cell))
                run = TextRun(cell[0], cell[1], move[1])
                page.append(run)
                cell = move = None
            run.text += glyph_character(_GLYPHSHOW.match(line).group(1))
        elif _UNKNOWN_TEXT_OPERATOR.search(line):
            raise UnreadableJob("text operator this reader does not know: %r" % line)
    return job


def ghostscript_page_count(path):
    """The pages that ghostscript renders of the job: a check that the job is
    sound PostScript, independent of this reader."""
    run = subprocess.run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", path],
                         capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        raise UnreadableJob("ghostscript cannot render the job: %s" % run.stderr[-500:])
    return run.stderr.count("%%BoundingBox:")
