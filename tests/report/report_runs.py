"""What the report tests share: the sources a report is made from (the
sample instrument's log as its CSV export, archives written by
survey_archive) and runs of `719k report` on them.

The CSV export is worked out from the log with the export's rules written
out plainly (tests/e2e/test_data_log.py), not with the program's code.
Paths come from environment variables that tests/report/CMakeLists.txt
sets.
"""

import html
import os
import re
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


def plain_text(markup):
    return html.unescape(re.sub(r"<[^>]*>", "", markup))


def sections_of(page):
    """A page's sections by id, each as the rows of its tables (the cells'
    text, header rows included) and its whole text; the heading as
    "header". The page is the program's own, closed tags included."""
    sections = {}
    for section_id, body in re.findall(r'<(?:section id="([^"]+)"|header)>(.*?)</(?:section|header)>', page, re.S):
        rows = [[" ".join(plain_text(cell).split()) for cell in re.findall(r"<t[dh][^>]*>(.*?)</t[dh]>", row, re.S)]
                for row in re.findall(r"<tr[^>]*>(.*?)</tr>", body, re.S)]
        sections[section_id or "header"] = {"rows": rows, "text": plain_text(body)}
    return sections


def page_sections(path):
    with open(path, encoding="utf-8") as page:
        return sections_of(page.read())
