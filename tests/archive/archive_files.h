#pragma once
// What the archive's tests share: a folder of its own for each test (under
// the test's temporary folder, removed after), logs as the instrument sends
// them, download records around them, and the archive's readings as the
// export writes them.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "datalog/csv.h"

class ArchiveFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(::testing::TempDir()) / "archive_test" / test->test_suite_name() / test->name();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path_of(const std::string& name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
};

// A session of the instrument: banner, column header and header lines, then
// the data lines given.
inline std::vector<std::string> session(const std::string& user_id, const std::vector<std::string>& data_lines) {
  std::vector<std::string> lines = {" 719   VER. 3.1", "                 LOC.        PPM    STATUS ",
                                    " I...............000123", " U..............." + user_id, " O...............M1"};
  lines.insert(lines.end(), data_lines.begin(), data_lines.end());
  return lines;
}

// A data line in the log's columns: location 6 characters, PPM 4.
inline std::string data_line(const std::string& date_time, const std::string& location, const std::string& ppm,
                             const std::string& status) {
  return date_time + "   " + location + "      " + ppm + "    " + status;
}

inline DownloadRecord download_of(const std::vector<std::string>& lines, const std::string& instrument = "000123") {
  DownloadInfo info{"2026-05-04T08:00:00Z", "2026-05-04T08:01:30Z", "/dev/ttyUSB0", std::nullopt, "719k 1.0.0",
                    instrument, "3.1", "05/04/26 10:00", "2026-05-04T10:00:00+02:00", std::nullopt, true};
  return DownloadRecord{info, lines};
}

inline DownloadRecord import_of(const std::string& file_name) {
  DownloadInfo info{"2026-05-04T08:00:00Z", "2026-05-04T08:00:01Z", std::nullopt, file_name, "719k 1.0.0",
                    std::nullopt, std::nullopt, std::nullopt, "2026-05-04T10:00:00+02:00", std::nullopt, false};
  return DownloadRecord{info, {}};
}

inline StoredDownload store_log(Archive& archive, const std::vector<std::string>& lines,
                                const std::string& instrument = "000123") {
  const DownloadRecord record = download_of(lines, instrument);
  return archive.store_download(record, readings_of_log(record.lines));
}

inline StoredDownload store_import(Archive& archive, const std::vector<std::string>& lines,
                                   const std::string& file_name = "survey.csv") {
  std::istringstream csv(csv_text(lines));
  return archive.store_download(import_of(file_name), readings_of_csv(csv, file_name));
}

// The readings the filter selects, as the export writes them.
inline std::string archived_csv(Archive& archive, const ReadingFilter& filter = {}) {
  std::string csv = kCsvHeaderLine;
  std::string row;
  archive.for_each_reading(filter, [&](const ArchivedReading& archived) {
    compose_csv_row(archived.reading, row);
    csv += row;
    return true;
  });
  return csv;
}
