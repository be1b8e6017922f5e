// The archive's history: the downloads newest first with what each brought,
// the events oldest first, and whether an instrument's last download was
// complete.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "archive/sqlite_archive.h"
#include "tests/archive/archive_files.h"

namespace {

class ArchiveHistory : public ArchiveFolder {};

TEST_F(ArchiveHistory, ListsDownloadsNewestFirstWithWhatEachBrought) {
  const std::string path = path_of("archive.sqlite");
  const std::string reading = data_line("05/23/08 1432", "A00017", "  12", "OK");
  DownloadRecord first = download_of(session("42", {reading, reading}));
  first.info.settings = DownloadSettings{"000123", "000000042", "Halle \xC4", "2", "M1", "0050", "0250", "1.00"};
  first.info.instrument_clock = "05/23/08 14:50 \xB0";
  {
    const auto archive = open_archive(path, ArchiveOpenMode::create);
    archive->store_download(first, readings_of_log(first.lines));
    archive->mark_erased(1);
    DownloadRecord cut = download_of(session("42", {reading}));
    cut.info.complete = false;
    archive->store_download(cut, readings_of_log(cut.lines));
    store_import(*archive, {}, "old.csv");
  }
  const std::vector<DownloadSummary> downloads = open_archive(path, ArchiveOpenMode::existing)->downloads();
  using Row = std::tuple<std::int64_t, bool, bool, std::int64_t, std::int64_t, std::int64_t>;
  std::vector<Row> rows;  // id, complete, erased, lines, readings, new readings
  for (const DownloadSummary& d : downloads) {
    rows.emplace_back(d.id, d.info.complete, d.erased, d.lines, d.readings, d.new_readings);
  }
  // The second is new after the erase although it repeats the first's reading.
  EXPECT_EQ(rows, std::vector<Row>({{3, false, false, 0, 0, 0}, {2, false, false, 6, 1, 1}, {1, true, true, 7, 2, 2}}));
  EXPECT_EQ(downloads[0].info.imported_from, "old.csv");
  EXPECT_EQ(downloads[0].info.port, std::nullopt);
  EXPECT_FALSE(downloads[1].info.settings.has_value());

  const DownloadInfo& stored = downloads[2].info;
  EXPECT_EQ(std::tie(stored.started_at, stored.finished_at, stored.port, stored.program, stored.instrument,
                     stored.firmware, stored.instrument_clock, stored.host_clock),
            std::tie(first.info.started_at, first.info.finished_at, first.info.port, first.info.program,
                     first.info.instrument, first.info.firmware, first.info.instrument_clock, first.info.host_clock));
  ASSERT_TRUE(stored.settings.has_value());
  const auto values = [](const DownloadSettings& s) {
    return std::tie(s.instrument, s.user_id, s.location, s.access_level, s.operating_mode, s.alarm, s.span,
                    s.response_factor);
  };
  EXPECT_EQ(values(*stored.settings), values(*first.info.settings));
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
    std::string kinds;
    for (const ArchivedEvent& archived : archive->events(filter)) {
      kinds += event_kind_name(archived.event.kind) + std::string(" ");
    }
    return kinds;
  };
  EXPECT_EQ(kinds_of({}), "clock_set config_set erase collect ");
  EXPECT_EQ(kinds_of({"000123", {}, {}}), "clock_set config_set collect ");
  EXPECT_EQ(kinds_of({{}, "2026-05-04T09:00:00Z", "2026-05-04T10:00:00Z"}), "config_set erase ");
  EXPECT_EQ(kinds_of({"000777", "2026-05-05", {}}), "");
  const ArchivedEvent collect = archive->events({{}, "2026-05-05", {}}).at(0);
  EXPECT_EQ(std::tie(collect.id, collect.event.port, collect.event.detail_json),
            std::make_tuple(std::int64_t{4}, std::optional<std::string>("COM4"), std::string(R"({"download_id":1})")));
}

TEST_F(ArchiveHistory, TellsWhetherAnInstrumentsLastDownloadWasComplete) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  EXPECT_EQ(archive->last_download_complete("000123"), std::nullopt);
  DownloadRecord cut = download_of(session("42", {}), "000123");
  cut.info.complete = false;
  archive->store_download(cut, readings_of_log(cut.lines));
  store_log(*archive, session("42", {}), "000777");
  EXPECT_EQ(archive->last_download_complete("000123"), false);
  store_log(*archive, session("42", {}), "000123");
  EXPECT_EQ(archive->last_download_complete("000123"), true);
  EXPECT_THROW(archive->mark_erased(99), ArchiveError);
}

}  // namespace
