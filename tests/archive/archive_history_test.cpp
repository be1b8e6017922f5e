// The archive's history: the downloads newest first with what each brought,
// the events oldest first, and whether an instrument's last download was
// complete.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "archive/sqlite_archive.h"
#include "tests/archive/archive_files.h"

namespace {

class ArchiveHistory : public ArchiveFolder {};

TEST_F(ArchiveHistory, ListsDownloadsNewestFirstWithWhatEachBrought) {
  const std::string path = path_of("archive.sqlite");
  const std::string reading = data_line("05/23/08 1432", "A00017", "  12", "OK");
  {
    const auto archive = open_archive(path, ArchiveOpenMode::create);
    DownloadRecord first = download_of(session("42", {reading, reading}));
    first.info.settings = DownloadSettings{"000123", "000000042", "Halle \xC4", "2", "M1", "0050", "0250", "1.00"};
    first.info.instrument_clock = "05/23/08 14:50 \xB0";
    archive->store_download(first, readings_of_log(first.lines));
    archive->mark_erased(1);
    DownloadRecord second = download_of(session("42", {reading}));
    second.info.complete = false;
    archive->store_download(second, readings_of_log(second.lines));
    std::istringstream csv(std::string("Instrument #,User ID #,Mode,Date/Time,Location,PPM,Status\r\n"));
    archive->store_download(import_of("old.csv"), readings_of_csv(csv, "old.csv"));
  }
  const std::vector<DownloadSummary> downloads = open_archive(path, ArchiveOpenMode::existing)->downloads();
  ASSERT_EQ(downloads.size(), 3u);
  EXPECT_EQ(downloads[0].id, 3);
  EXPECT_EQ(downloads[0].info.imported_from, "old.csv");
  EXPECT_EQ(downloads[0].info.port, std::nullopt);
  EXPECT_EQ(downloads[0].lines, 0);

  EXPECT_EQ(downloads[1].id, 2);
  EXPECT_FALSE(downloads[1].info.complete);
  EXPECT_FALSE(downloads[1].erased);
  EXPECT_EQ(downloads[1].readings, 1);
  EXPECT_EQ(downloads[1].new_readings, 1) << "the instrument's log was erased after the first";
  EXPECT_FALSE(downloads[1].info.settings.has_value());

  const DownloadSummary& first = downloads[2];
  EXPECT_TRUE(first.erased);
  EXPECT_TRUE(first.info.complete);
  EXPECT_EQ(first.lines, 7);
  EXPECT_EQ(first.readings, 2);
  EXPECT_EQ(first.new_readings, 2);
  EXPECT_EQ(first.info.started_at, "2026-05-04T08:00:00Z");
  EXPECT_EQ(first.info.finished_at, "2026-05-04T08:01:30Z");
  EXPECT_EQ(first.info.port, "/dev/ttyUSB0");
  EXPECT_EQ(first.info.program, "719k 1.0.0");
  EXPECT_EQ(first.info.instrument, "000123");
  EXPECT_EQ(first.info.firmware, "3.1");
  EXPECT_EQ(first.info.instrument_clock, "05/23/08 14:50 \xB0");
  EXPECT_EQ(first.info.host_clock, "2026-05-04T10:00:00+02:00");
  ASSERT_TRUE(first.info.settings.has_value());
  const DownloadSettings& settings = *first.info.settings;
  EXPECT_EQ(std::vector<std::string>({settings.instrument, settings.user_id, settings.location, settings.access_level,
                                      settings.operating_mode, settings.alarm, settings.span,
                                      settings.response_factor}),
            std::vector<std::string>({"000123", "000000042", "Halle \xC4", "2", "M1", "0050", "0250", "1.00"}));
}

TEST_F(ArchiveHistory, EventsComeOldestFirstByInstrumentAndTimeSpan) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  const EventRecord recorded[] = {
      {"2026-05-04T09:00:00Z", "COM3", "000123", EventKind::config_set, R"({"span":"0250"})"},
      {"2026-05-04T08:00:00Z", "COM3", "000123", EventKind::clock_set, R"({"time":"2026-05-04T10:00"})"},
      {"2026-05-04T10:00:00Z", std::nullopt, "000777", EventKind::erase, "{}"},
      {"2026-05-05T08:00:00Z", "COM4", "000123", EventKind::collect, R"({"download_id":1})"},
  };
  for (const EventRecord& event : recorded) archive->record_event(event);
  EXPECT_THROW(archive->record_event({"2026-05-06T08:00:00Z", {}, {}, EventKind::erase, "not JSON"}), ArchiveError);

  const auto kinds_of = [&archive](const EventFilter& filter) {
    std::vector<std::string> kinds;
    for (const ArchivedEvent& archived : archive->events(filter)) kinds.push_back(event_kind_name(archived.event.kind));
    return kinds;
  };
  using Kinds = std::vector<std::string>;
  EXPECT_EQ(kinds_of({}), Kinds({"clock_set", "config_set", "erase", "collect"}));
  EXPECT_EQ(kinds_of({"000123", {}, {}}), Kinds({"clock_set", "config_set", "collect"}));
  EXPECT_EQ(kinds_of({{}, "2026-05-04T09:00:00Z", "2026-05-04T10:00:00Z"}), Kinds({"config_set", "erase"}));
  EXPECT_EQ(kinds_of({"000777", "2026-05-05", {}}), Kinds());

  const ArchivedEvent collect = archive->events({{}, "2026-05-05", {}}).at(0);
  EXPECT_EQ(collect.id, 4);
  EXPECT_EQ(collect.event.port, "COM4");
  EXPECT_EQ(collect.event.detail_json, R"({"download_id":1})");
}

TEST_F(ArchiveHistory, TellsWhetherAnInstrumentsLastDownloadWasComplete) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  EXPECT_EQ(archive->last_download_complete("000123"), std::nullopt);
  DownloadRecord cut = download_of(session("42", {}), "000123");
  cut.info.complete = false;
  archive->store_download(cut, readings_of_log(cut.lines));
  store_log(*archive, session("42", {}), "000777");
  EXPECT_EQ(archive->last_download_complete("000123"), false);
  EXPECT_EQ(archive->last_download_complete("000777"), true);
  store_log(*archive, session("42", {}), "000123");
  EXPECT_EQ(archive->last_download_complete("000123"), true);

  try {
    archive->mark_erased(99);
    ADD_FAILURE() << "an unknown download was marked";
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.kind(), ArchiveErrorKind::not_found);
  }
}

}  // namespace
