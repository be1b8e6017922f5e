"""What the report tests share: the sources a report is made from (the
sample instrument's log as its CSV export, archives written by
survey_archive) and runs of `719k report` on them.

The CSV export is worked out from the log with the export's rules written
out plainly (tests/e2e/test_data_log.py), not with the program's code.
Paths come from environment variables that tests/report/CMakeLists.txt
sets.
"""

import html.parser
import os
import subprocess

from simulator import setting
from test_data_log import expected_export, read_log

RUN_TIMEOUT_S = 120
SAMPLE_ALARM_PPM = 50


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, timeout=RUN_TIMEOUT_S, **options)


def write_sample_csv(path):
    with open(path, "wb") as target:
        target.write(expected_export(read_log(setting("SET719K_SAMPLE_STATE"))))
    return path


def write_sample_archive(path):
    run(setting("SURVEY_ARCHIVE"), "sample", setting("SET719K_SAMPLE_STATE"), path)
    return path


def write_generated_archive(path, days, seconds_between_readings):
    run(setting("SURVEY_ARCHIVE"), "generated", str(days), str(seconds_between_readings), path)
    return path


def report(*arguments, env=None, cwd=None):
    """719k with the arguments given (the archive's place only from them);
    the finished process, whatever its exit code."""
    environment = dict(os.environ if env is None else env)
    environment.pop("SET719K_ARCHIVE", None)
    return subprocess.run([setting("SET719K_CLI")] + list(arguments), capture_output=True, timeout=RUN_TIMEOUT_S,
                          env=environment, cwd=cwd)


class Sections(html.parser.HTMLParser):
    """A page's sections by id, each as the rows of its tables (the cells'
    text, header rows included) and its whole text; the heading as
    "header"."""

    def __init__(self, text):
        super().__init__()
        self.sections = {}
        self._section = None
        self._row = None
        self._cell = None
        self.feed(text)

    def handle_starttag(self, tag, attributes):
        if tag in ("section", "header"):
            self._section = dict(attributes).get("id", tag)
            self.sections[self._section] = {"rows": [], "text": ""}
        elif tag == "tr" and self._section:
            self._row = []
            self.sections[self._section]["rows"].append(self._row)
        elif tag in ("td", "th") and self._row is not None:
            self._cell = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self._cell is not None:
            self._row.append(" ".join(self._cell.split()))
            self._cell = None
        elif tag == "tr":
            self._row = None
        elif tag in ("section", "header"):
            self._section = None

    def handle_data(self, data):
        if self._section:
            self.sections[self._section]["text"] += data
        if self._cell is not None:
            self._cell += data


def page_sections(path):
    with open(path, encoding="utf-8") as page:
        return Sections(page.read()).sections
