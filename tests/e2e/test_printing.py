"""Print Log under Wine on a printer that captures each job as PostScript
(scripts/wine/printer.py, installed by the wine.printer fixture): the job's
name, its pages, and each line's text and position; and the print dialog's
Cancel.

The printer is a 600-dpi device, on which the program's positions are the
device coordinates themselves: every line at x = 10, the first line of a
page at y = 200 and each next one 100 lower, 58 lines a page.
"""

import os
import shutil

from harness import IDCANCEL, IDOK, ids, setting
from test_data_log import (LONG_HEADER, OPERATION_TIMEOUT_S, SHORT_HEADER, SHORT_LOG_LINES,
                           STATUS_MARKER, DataLogTest, expected_list, read_log)
import printed_job
import printer

STATES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "states")
LINES_PER_PAGE = 58
LEFT = 10
FIRST_LINE_Y = 200
LINE_SPACING = 100
JOB_TIMEOUT_S = 30


def expected_pages(items):
    """(x, y, text) of each printed line, page by page."""
    pages = []
    for index, item in enumerate(items):
        line = index % LINES_PER_PAGE
        if line == 0:
            pages.append([])
        pages[-1].append((LEFT, FIRST_LINE_Y + LINE_SPACING * line, SHORT_HEADER if item == LONG_HEADER else item))
    return pages


class PrintLog(DataLogTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(printer.jobs_dir(self.prefix), ignore_errors=True)
        os.makedirs(printer.jobs_dir(self.prefix))

    def print_dialog(self):
        dialog = self.only_box("Print")
        self.assertEqual(dialog.owner, "main")
        return dialog

    def test_every_list_line_is_printed_at_its_place_58_a_page_with_the_short_header(self):
        state_file = os.path.join(self.work, "three_sessions.txt")
        shutil.copyfile(os.path.join(STATES, "three_sessions.txt"), state_file)
        log = read_log(state_file)
        self.start_simulator(1, state_file)
        ui = self.start_program()
        self.connect()
        self.download()
        items = ui.list_items(ids.IDC_LOG_LIST)
        self.assertEqual(items, expected_list(log))
        self.assertGreater(len(items), LINES_PER_PAGE)

        self.start_operation(ids.IDC_PRINT_LOG)
        ui.answer(self.print_dialog(), IDOK)
        self.wait_until_connected("printing ended")
        ui.wait_until(lambda: printer.jobs(self.prefix), JOB_TIMEOUT_S, what="job captured")
        self.assert_finished_with_full_bar()
        self.assertTrue(ui.enabled(0))

        jobs = printer.jobs(self.prefix)
        self.assertEqual(len(jobs), 1)
        job = printed_job.read_job(jobs[0])
        self.assertEqual(job.title, "719K Data Log")
        printed = [[(run.x, run.y, run.text) for run in page] for page in job.pages]
        self.assertEqual(printed, expected_pages(items))
        self.assertEqual(printed_job.ghostscript_page_count(jobs[0]), len(job.pages))

    def test_cancel_in_the_print_dialog_leaves_everything_as_it_was(self):
        self.start_with_log(read_log(setting("SET719K_SAMPLE_STATE"))[:SHORT_LOG_LINES])
        ui = self.ui
        self.download()
        # A bar that busy start and finish would not leave: Get Config's.
        self.run_operation(ids.IDC_GET_CONFIG, "Get Config ended")
        listed = ui.list_items(ids.IDC_LOG_LIST)

        self.start_operation(ids.IDC_PRINT_LOG)
        dialog = self.print_dialog()
        self.assertFalse(ui.enabled(0))
        ui.answer(dialog, IDCANCEL)
        ui.wait_until(lambda: ui.enabled(0), OPERATION_TIMEOUT_S, what="print dialog closed")
        self.assertEqual(ui.text(ids.IDC_STATUS), STATUS_MARKER)
        self.assertEqual(ui.progress(ids.IDC_PROGRESS), (80, 0, 80))
        self.assertEqual(ui.list_items(ids.IDC_LOG_LIST), listed)
        self.assertTrue(ui.enabled(ids.IDC_PRINT_LOG))
        self.assertEqual(ui.boxes(), [])
        self.assertEqual(printer.jobs(self.prefix), [])
