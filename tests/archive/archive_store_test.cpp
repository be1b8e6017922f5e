// Storing downloads and imports: each reading once however often its log
// comes in, identical readings all kept, a new log after an erase added,
// the readings read back as the export wrote them, a store whole or not at
// all.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/sqlite_archive.h"
#include "datalog/csv.h"
#include "tests/archive/archive_files.h"

namespace {

const std::string kFirst = data_line("05/23/08 1432", "A00017", "  12", "OK");
const std::string kSecond = data_line("05/23/08 1433", "A00018", " 240", "HIGH");
const std::string kThird = data_line("05/23/08 1438", "B00102", "1050", "ALARM");
const std::string kFourth = data_line("05/23/08 1445", "A00017", "  33", "OK");
const std::string kNoTime = data_line("99/99/99 9999", "A00017", "  12", "OK");

// Hundreds of readings, pairs of them identical, that go in many statements.
std::vector<std::string> long_log() {
  std::vector<std::string> data;
  for (int i = 0; i < 700; ++i) {
    const int minute = i / 2;
    char time[16];
    std::snprintf(time, sizeof time, "05/23/08 %02d%02d", 10 + minute / 60, minute % 60);
    data.push_back(data_line(time, "A00017", "  12", "OK"));
  }
  return data;
}

enum class Step { download, import_export, mark_erased };

struct StoreStep {
  Step step;
  std::vector<std::string> data_lines;
  std::int64_t new_readings;
};

struct StoreScenario {
  const char* name;
  std::vector<StoreStep> steps;
  std::vector<std::string> archived;  // data lines of the readings archived, in order
};

class ArchiveStore : public ArchiveFolder {};

TEST_F(ArchiveStore, KeepsEachReadingOnceAndEveryIdenticalReading) {
  const std::vector<std::string> grown = long_log();
  const std::vector<std::string> first_part(grown.begin(), grown.begin() + 401);
  const StoreScenario scenarios[] = {
      {"the same log twice", {{Step::download, {kFirst, kSecond}, 2}, {Step::download, {kFirst, kSecond}, 0}},
       {kFirst, kSecond}},
      {"a grown log adds only the new",
       {{Step::download, {kFirst, kSecond}, 2}, {Step::download, {kFirst, kSecond, kThird, kFourth}, 2}},
       {kFirst, kSecond, kThird, kFourth}},
      {"identical readings within a log",
       {{Step::download, {kFirst, kFirst, kSecond, kFirst}, 4}, {Step::download, {kFirst, kFirst, kSecond, kFirst}, 0}},
       {kFirst, kFirst, kSecond, kFirst}},
      {"an identical reading taken after a download",
       {{Step::download, {kFirst}, 1}, {Step::download, {kFirst, kFirst}, 1}, {Step::download, {kFirst, kFirst}, 0}},
       {kFirst, kFirst}},
      {"after an erase the new log is new, repeats included",
       {{Step::download, {kFirst, kSecond}, 2},
        {Step::mark_erased, {}, 0},
        {Step::download, {kFirst, kThird}, 2},
        {Step::download, {kFirst, kThird, kFourth}, 1}},
       {kFirst, kSecond, kFirst, kThird, kFourth}},
      {"an export imported, then the log downloaded and grown",
       {{Step::import_export, {kFirst, kFirst, kSecond}, 3},
        {Step::download, {kFirst, kFirst, kSecond}, 0},
        {Step::download, {kFirst, kFirst, kSecond, kThird}, 1}},
       {kFirst, kFirst, kSecond, kThird}},
      {"a grown log whose new readings are older than the archive's, or of no time",
       {{Step::download, {kThird, kNoTime}, 2},
        {Step::download, {kThird, kNoTime, kFirst, kNoTime}, 2},
        {Step::download, {kThird, kNoTime, kFirst, kNoTime}, 0}},
       {kThird, kNoTime, kFirst, kNoTime}},
      {"an erased log's export imported after the erase",
       {{Step::download, {kFirst, kSecond}, 2},
        {Step::mark_erased, {}, 0},
        {Step::download, {kThird}, 1},
        {Step::import_export, {kFirst, kSecond}, 0},
        {Step::import_export, {kThird, kFirst, kFirst}, 1}},
       {kFirst, kSecond, kThird, kFirst}},
      {"a long log grown",
       {{Step::download, first_part, 401}, {Step::download, grown, 299}, {Step::download, grown, 0}},
       grown},
  };
  int run = 0;
  for (const StoreScenario& scenario : scenarios) {
    const auto archive = open_archive(path_of("scenario" + std::to_string(++run) + ".sqlite"), ArchiveOpenMode::create);
    std::int64_t last_download = 0;
    for (const StoreStep& step : scenario.steps) {
      const std::vector<std::string> lines = session("000000042", step.data_lines);
      if (step.step == Step::mark_erased) {
        archive->mark_erased(last_download);
        continue;
      }
      const StoredDownload stored =
          step.step == Step::download ? store_log(*archive, lines) : store_import(*archive, lines);
      last_download = stored.id;
      EXPECT_EQ(stored.readings, static_cast<std::int64_t>(step.data_lines.size())) << scenario.name;
      EXPECT_EQ(stored.new_readings, step.new_readings) << scenario.name << ", download " << stored.id;
    }
    EXPECT_EQ(archived_csv(*archive), csv_text(session("000000042", scenario.archived))) << scenario.name;
  }
}

TEST_F(ArchiveStore, ReadingsOfADownloadReadBackAsTheExportOfItsLog) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  std::vector<std::string> log = session("M\xFCller,\"J\"", {kFirst, kSecond, kFirst, "", "x\r\ny"});
  const std::vector<std::string> second = session("000000057", {kThird, data_line("13/45/08 9999", "C\xC4", "n/a ", "")});
  log.insert(log.end(), second.begin(), second.end());
  store_log(*archive, session("000000001", {kFourth}), "000999");
  const StoredDownload stored = store_log(*archive, log);
  ReadingFilter of_download;
  of_download.download_id = stored.id;
  EXPECT_EQ(archived_csv(*archive, of_download), csv_text(log));
  EXPECT_EQ(archive->download_lines(stored.id), log);
  EXPECT_TRUE(archive->download_lines(stored.id + 1).empty());
}

TEST_F(ArchiveStore, AStoreThatFailsLeavesNothingOfTheDownload) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  store_log(*archive, session("42", {kFirst}));
  const DownloadRecord record = download_of(session("42", {kFirst, kSecond, kThird}));
  int handed = 0;
  const ReadingSource failing = [&](const ReadingSink& on_reading) {
    readings_of_log(record.lines)([&](const Reading& reading) {
      on_reading(reading);
      if (++handed == 2) throw std::runtime_error("the link failed");
    });
  };
  EXPECT_THROW(archive->store_download(record, failing), std::runtime_error);

  std::istringstream csv(csv_text(session("42", {kSecond})) + "1,2,3\r\n");
  try {
    archive->store_download(import_of("cut.csv"), readings_of_csv(csv, "cut.csv"));
    ADD_FAILURE() << "a bad import was stored";
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.kind(), ArchiveErrorKind::bad_import);
    EXPECT_NE(std::string(error.what()).find("cut.csv"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
  }
  const ArchiveCheck check = archive->check();
  EXPECT_EQ(std::vector<std::int64_t>({check.downloads, check.readings, check.log_lines}),
            std::vector<std::int64_t>({1, 1, 6}));
  EXPECT_EQ(store_log(*archive, record.lines).new_readings, 2);
}

}  // namespace
