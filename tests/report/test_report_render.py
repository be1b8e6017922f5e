"""Reports made by `719k report` as a browser shows them: the sample
instrument's log from its CSV export (--leak-ppm) and from an archive that
holds its download with the alarm setting, and a generated survey of four
days in an archive (over 10,000 readings, so the table of every reading is
left out and the days' charts are reduced), rendered headless by Chromium
to PDF on A4 and Letter and to PNG at a phone's and a desktop's width, and
read back with Poppler, ImageMagick and tidy.

Run by ctest (label "report"); report_runs.py makes the sources. The probes
injected into copies of the pages (a script that measures, a style that
picks the paper or hides sections) exist only here, never in a report."""

import os
import re
import subprocess
import tempfile
import unittest

from report_runs import (SAMPLE_ALARM_PPM, report, run, write_generated_archive, write_sample_archive,
                         write_sample_csv)

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-pdf-header-footer"]
SECTION_HEADINGS = ["Summary by location", "Leaks", "Readings over time", "Operators", "Events", "All readings"]
MARK_RGB = (0x64, 0x97, 0xCF)   # --mark: a reading's circle
LEAK_RGB = (0xB4, 0x23, 0x18)   # --leak: a leak's triangle
PHONE_WIDTH_PX = 390
DESKTOP_WIDTH_PX = 1280
GENERATED_DAYS = 4
GENERATED_LOCATIONS = 200

# Paints the whole page: green when it fits its window's width, red when it
# scrolls sideways, blue when the window is not a phone's width (a probe
# that cannot fail is no probe). Headless Chromium lays a top-level page out
# at least 500 px wide whatever the window's size, so the page is shown in
# a frame of a phone's width.
WIDTH_PROBE = """<script>
const root = document.documentElement;
const colour = window.innerWidth != %d ? "#00f" : root.scrollWidth > window.innerWidth ? "#f00" : "#0f0";
document.body.insertAdjacentHTML("beforeend",
  '<div style="position:fixed;inset:0;z-index:9;background:' + colour + '"></div>');
</script>""" % PHONE_WIDTH_PX

PHONE_FRAME_HEIGHT_PX = 800
PHONE_FRAME = """<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>phone</title></head>
<body style="margin:0"><iframe src="%%s" style="border:0;width:%dpx;height:%dpx"></iframe></body></html>""" % (
    PHONE_WIDTH_PX, PHONE_FRAME_HEIGHT_PX)


class Pages:
    """A work folder with the three pages and what was made from them."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory(prefix="report_render_")
        self.sample = self.report("sample.html", write_sample_csv(self.path("sample.csv")),
                                  "--leak-ppm", str(SAMPLE_ALARM_PPM))
        self.generated_archive = write_generated_archive(self.path("generated.sqlite"), GENERATED_DAYS, 30)
        self.generated = self.report("generated.html", "--archive", self.generated_archive)
        self.sample_archive = self.report("sample_archive.html", "--archive",
                                          write_sample_archive(self.path("sample.sqlite")))
        self.runs = 0

    def report(self, name, *sources):
        run = report("report", "-o", self.path(name), *sources)
        if run.returncode != 0:
            raise RuntimeError("719k report failed: %s" % run.stderr.decode())
        return self.path(name)

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def variant(self, page, name, before_head_end="", before_body_end=""):
        """A copy of a page with test-only markup added."""
        with open(page, encoding="utf-8") as source:
            text = source.read()
        text = text.replace("</head>", before_head_end + "</head>").replace("</body>", before_body_end + "</body>")
        with open(self.path(name), "w", encoding="utf-8") as copy:
            copy.write(text)
        return self.path(name)

    def chromium(self, page, *options):
        self.runs += 1
        profile = self.path("profile%d" % self.runs)
        run(*CHROMIUM, "--user-data-dir=" + profile, *options, "file://" + page)

    def pdf(self, page, name):
        self.chromium(page, "--print-to-pdf=" + self.path(name))
        return self.path(name)

    def screenshot(self, page, name, width, height):
        self.chromium(page, "--screenshot=" + self.path(name), "--window-size=%d,%d" % (width, height))
        return self.path(name)


def pdf_pages_text(pdf):
    return run("pdftotext", "-layout", pdf, "-").stdout.decode("utf-8").split("\f")


def first_line(page):
    return page.strip().splitlines()[0].strip() if page.strip() else ""


def section_text(pages, heading):
    """The text of the printed pages from the one that the section's heading
    opens up to the next section's."""
    start = [first_line(page) for page in pages].index(heading)
    end = start + 1
    while end < len(pages) and first_line(pages[end]) not in SECTION_HEADINGS:
        end += 1
    return "\n".join(pages[start:end])


def rows_with_colour(png, rgb):
    """The rows of a screenshot that hold a pixel of exactly that colour (the
    inside of a filled mark is drawn in its colour as it is): that colour
    made white and the rest black, each row averaged into one pixel."""
    colour = "#%02X%02X%02X" % rgb
    rows = run("convert", png, "-alpha", "off", "-fill", "black", "+opaque", colour, "-fill", "white", "-opaque",
               colour, "-scale", "1x!", "-depth", "16", "txt:-").stdout.decode()
    return {int(y) for y, level in re.findall(r"^0,(\d+): \((\d+)", rows, re.MULTILINE) if int(level) > 0}


def top_left_colour(png):
    pixel = run("convert", png, "-alpha", "off", "-crop", "1x1+0+0", "-depth", "8", "txt:-").stdout.decode()
    return re.search(r"#[0-9A-F]{6}", pixel).group(0)


def bands(rows, gap=40):
    """Runs of rows (first, last), split where more than `gap` rows lack the colour."""
    found = []
    for y in sorted(rows):
        if found and y - found[-1][1] <= gap:
            found[-1][1] = y
        else:
            found.append([y, y])
    return found


class ReportRendering(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pages = Pages()

    @classmethod
    def tearDownClass(cls):
        cls.pages.folder.cleanup()

    def test_pages_are_valid_html5_self_contained_and_without_script(self):
        for page in (self.pages.sample, self.pages.sample_archive, self.pages.generated):
            with self.subTest(page=os.path.basename(page)):
                # tidy exits 1 on warnings (a misnested or unclosed element), 2 on errors.
                tidy = subprocess.run(["tidy", "-q", "-errors", page], capture_output=True, timeout=60)
                self.assertEqual(tidy.returncode, 0, tidy.stderr.decode())
                with open(page, encoding="utf-8") as source:
                    text = source.read()
                tags = set(re.findall(r"<([a-z][\w:-]*)", text))
                self.assertFalse(tags & {"script", "link", "img", "iframe", "object", "embed", "image", "use"})
                references = re.findall(r"\s(?:href|src|xlink:href|action|srcset)\s*=\s*[\"']?([^\"'\s>]*)", text)
                self.assertTrue(all(reference.startswith("#") for reference in references), references)
                self.assertNotRegex(text, r"https?:|//|url\(|@import")

    def test_printed_sample_holds_the_summary_and_leak_list_each_section_on_a_new_page(self):
        # The archive's page has the same tables (test_report_command.py).
        pages = pdf_pages_text(self.pages.pdf(self.pages.sample, "sample.pdf"))
        first_lines = [first_line(printed) for printed in pages]
        for heading in SECTION_HEADINGS:
            self.assertIn(heading, first_lines)
        summary = section_text(pages, "Summary by location")
        # Location, highest and when, leaks, readings, mean, last and when.
        self.assertRegex(summary, r"A00021\s+1050\s+2008-05-23 15:51\s+3\s+6\s+280\.8\s+1050\s+"
                                  r"2008-05-23 15:51")
        self.assertRegex(summary, r"C00310\s+512\s+2008-05-23 16:05\s+2\s+5\s+137\.4\s+2\s+"
                                  r"2008-05-23 16:52")
        leaks = section_text(pages, "Leaks")
        groups = re.findall(r"^\s*([A-C]\d{5}) (\d+) leaks?$", leaks, re.MULTILINE)
        self.assertEqual(groups, [("A00021", "3"), ("B00102", "3"), ("C00311", "3"), ("A00017", "3"),
                                  ("A00018", "4"), ("C00310", "2"), ("C00315", "4")])
        self.assertRegex(leaks, r"2008-05-23 14:38\s+1050\s+50\s+ALARM\s+000123\s+000000042")
        self.assertEqual(len(re.findall(r"^\s*2008-05-23 \d\d:\d\d\s+\d+\s+50\s", leaks, re.MULTILINE)),
                         22)

    def test_printed_pages_fit_a4_and_letter_whole_with_table_headers_repeated(self):
        # Chromium clips what runs past the printed page's width and leaves
        # it out of the PDF, so a table or chart too wide loses its right
        # end: each summary row's last column and each chart's right-hand
        # labels (the last hour, the threshold lines' labels) must be there.
        summary_row = re.compile(r"^\s*[A-E]\d{5}\s+\d+\s+(2026-11-0\d \d\d:\d\d\s+)(\d+\s+){2}[\d.]+\s+\d+\s+"
                                 r"2026-11-0\d \d\d:\d\d$", re.MULTILINE)
        for paper in ("A4", "letter"):
            with self.subTest(paper=paper):
                page = self.pages.variant(self.pages.generated, "generated_%s.html" % paper,
                                          before_head_end="<style>@page{size:%s}</style>" % paper)
                pages = pdf_pages_text(self.pages.pdf(page, "generated_%s.pdf" % paper))
                text = "\n".join(pages)
                self.assertEqual(len(summary_row.findall(text)), GENERATED_LOCATIONS)
                summary_heads = [p for p in pages if re.search(r"Location\s+Highest ppm.*When\s+Leaks\s+Readings", p)]
                self.assertGreaterEqual(len(summary_heads), 2, "the summary's header on each of its pages")
                charts = section_text(pages, "Readings over time")
                self.assertEqual(len(re.findall(r"^\s*2026-11-0\d \S+ readings", charts, re.MULTILINE)), GENERATED_DAYS)
                self.assertEqual(len(re.findall(r"\b17:00\b", charts)), GENERATED_DAYS)
                self.assertEqual(len(re.findall(r"\b100 ppm\b", charts)), GENERATED_DAYS)
                self.assertIn("more than this page lists", text)
        with open(self.pages.generated, encoding="utf-8") as page:
            hint = re.search(r"To list them all: <code>(.*?)</code>", page.read())
        self.assertEqual(hint and hint.group(1), "719k --archive %s archive readings" % self.pages.generated_archive)

    def test_charts_are_drawn_one_per_day_with_readings_and_leaks(self):
        for page, days, height in ((self.pages.sample, 1, 1200), (self.pages.generated, GENERATED_DAYS, 2400)):
            with self.subTest(page=os.path.basename(page)):
                charts_only = self.pages.variant(page, "charts_" + os.path.basename(page),
                                                 before_head_end="<style>header,section:not(#time)"
                                                                 "{display:none}</style>")
                png = self.pages.screenshot(charts_only, "charts_%d.png" % days, DESKTOP_WIDTH_PX, height)
                mark_rows, leak_rows = rows_with_colour(png, MARK_RGB), rows_with_colour(png, LEAK_RGB)
                # The key's marks make a band too short to be a chart.
                chart_bands = [band for band in bands(mark_rows | leak_rows) if band[1] - band[0] > 100]
                self.assertEqual(len(chart_bands), days)
                for first, last in chart_bands:
                    self.assertTrue(any(first <= y <= last for y in mark_rows), (first, last))
                    self.assertTrue(any(first <= y <= last for y in leak_rows), (first, last))

    def test_phone_width_page_does_not_scroll_sideways(self):
        for page in (self.pages.sample, self.pages.generated):
            with self.subTest(page=os.path.basename(page)):
                probe = self.pages.variant(page, "probe_" + os.path.basename(page), before_body_end=WIDTH_PROBE)
                phone = self.pages.path("phone_" + os.path.basename(page))
                with open(phone, "w", encoding="utf-8") as frame:
                    frame.write(PHONE_FRAME % os.path.basename(probe))
                png = self.pages.screenshot(phone, "probe.png", DESKTOP_WIDTH_PX, PHONE_FRAME_HEIGHT_PX)
                self.assertEqual(top_left_colour(png), "#00FF00", "red: scrolls sideways; blue: not a phone")


if __name__ == "__main__":
    unittest.main()
