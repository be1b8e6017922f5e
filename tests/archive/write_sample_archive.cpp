// Writes a small archive at the path given, for the schema test that reads
// it with another SQLite client (test_archive_schema.py).

#include <iostream>

#include "archive/sqlite_archive.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_sample_archive FILE\n";
    return 2;
  }
  try {
    const auto archive = open_archive(argv[1], ArchiveOpenMode::create);
    DownloadRecord download;
    download.info = {"2026-05-04T08:00:00Z", "2026-05-04T08:01:30Z", "COM3", std::nullopt, "719k 1.0.0",
                     "000123", "VER. 3.1", "05/04/26 10:00", "2026-05-04T10:00:00+02:00",
                     DownloadSettings{"000123", "M\xFCller", "A00017", "2", "M1", "0050", "0250", "1.00"}, true};
    download.lines = {" 719   VER. 3.1", " I...............000123", " U...............M\xFCller",
                      " O...............M1", "05/23/08 1432   A00017        12    OK",
                      "02/30/08 1433   A00018       n/a    HIGH \xB0"};
    const StoredDownload stored = archive->store_download(download, readings_of_log(download.lines));
    archive->mark_erased(stored.id);
    archive->record_event({"2026-05-04T08:02:00Z", "COM3", "000123", EventKind::erase, R"({"download_id":1})"});
  } catch (const ArchiveError& error) {
    std::cerr << error.what() << "\n";
    return 4;
  }
  return 0;
}
