"""The archive as any SQLite client sees it: Python's own sqlite3 module
reads a file that write_sample_archive (our code) wrote, and finds the
documented tables, columns, version and values, the instrument's bytes as
text.

    test_archive_schema.py WRITE_SAMPLE_ARCHIVE"""

import json
import os
import sqlite3
import subprocess
import sys
import tempfile
import unittest

WRITER = None

COLUMNS = {
    "downloads": {"id", "started_at", "finished_at", "port", "program", "instrument", "firmware",
                  "instrument_clock", "host_clock", "settings", "lines", "complete", "erased",
                  "readings", "new_readings"},
    "log_lines": {"download_id", "line_number", "text"},
    "readings": {"id", "instrument", "user_id", "mode", "datetime", "location", "ppm", "status",
                 "datetime_iso", "ppm_value", "occurrence", "log_epoch", "download_id", "identity_key"},
    "events": {"id", "at", "port", "instrument", "kind", "detail"},
}


class ArchiveSchema(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        path = os.path.join(cls.folder.name, "archive.sqlite")
        subprocess.run([WRITER, path], check=True)
        cls.db = sqlite3.connect(path)

    @classmethod
    def tearDownClass(cls):
        cls.db.close()
        cls.folder.cleanup()

    def value(self, sql):
        return self.db.execute(sql).fetchone()[0]

    def test_version_mark_and_journal(self):
        self.assertEqual(self.value("PRAGMA user_version"), 2)
        self.assertEqual(self.value("PRAGMA application_id").to_bytes(4, "big"), b"719K")
        self.assertEqual(self.value("PRAGMA journal_mode"), "wal")
        self.assertEqual(self.value("PRAGMA integrity_check"), "ok")

    def test_tables_have_the_documented_columns(self):
        for table, columns in COLUMNS.items():
            with self.subTest(table=table):
                found = {row[1] for row in self.db.execute(f"PRAGMA table_info({table})")}
                self.assertLessEqual(columns, found)

    def test_download_row(self):
        row = self.db.execute("SELECT port, program, instrument, firmware, settings, lines, complete, erased, "
                              "readings, new_readings FROM downloads").fetchone()
        port, program, instrument, firmware, settings, lines, complete, erased, readings, new = row
        self.assertEqual((port, program, instrument, firmware), ("COM3", "719k 1.0.0", "000123", "VER. 3.1"))
        self.assertEqual((lines, complete, erased, readings, new), (6, 1, 1, 2, 2))
        self.assertEqual(json.loads(settings), {
            "instrument": "000123", "user_id": "M\u00fcller", "location": "A00017", "access_level": "2",
            "operating_mode": "M1", "alarm": "0050", "span": "0250", "response_factor": "1.00"})

    def test_lines_and_readings_as_text(self):
        lines = [text for (text,) in self.db.execute("SELECT text FROM log_lines ORDER BY line_number")]
        self.assertEqual(lines[2], " U...............M\u00fcller")
        readings = self.db.execute("SELECT user_id, datetime, location, ppm, status, datetime_iso, ppm_value, "
                                   "download_id FROM readings ORDER BY id").fetchall()
        self.assertEqual(readings, [
            ("M\u00fcller", "05/23/08 1432", "A00017", "  12", "OK", "2008-05-23T14:32", 12.0, 1),
            ("M\u00fcller", "02/30/08 1433", "A00018", " n/a", "HIGH \u00b0", None, None, 1),
        ])

    def test_identity_key_as_documented(self):
        rows = self.db.execute("SELECT instrument, user_id, mode, datetime, location, ppm, status, occurrence, "
                               "datetime_iso, identity_key FROM readings").fetchall()
        self.assertEqual(len(rows), 2)
        for *texts, occurrence, datetime_iso, key in rows:
            hashed = b"".join(text.encode("utf-8") + b"\xff" for text in texts) + occurrence.to_bytes(8, "little")
            fnv = 14695981039346656037
            for byte in hashed:
                fnv = ((fnv ^ byte) * 1099511628211) % 2**64
            digits = datetime_iso[2:4] + datetime_iso[5:7] + datetime_iso[8:10] + datetime_iso[11:13] + \
                datetime_iso[14:16] if datetime_iso else "0"
            self.assertEqual(key, int(digits) * 2**29 + fnv % 2**29, texts)

    def test_event(self):
        kind, detail = self.db.execute("SELECT kind, detail FROM events").fetchone()
        self.assertEqual(kind, "erase")
        self.assertEqual(json.loads(detail), {"download_id": 1})


if __name__ == "__main__":
    WRITER = sys.argv.pop(1)
    sys.exit(unittest.main())
