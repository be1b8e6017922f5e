// The SQLite archive's reads: readings by filter, the downloads, the events
// and the lines of a download.

#include "archive/sqlite_archive_class.h"
#include "datalog/latin1.h"

namespace {

constexpr const char* kSelectReadings = R"sql(
SELECT id, instrument, user_id, mode, datetime, location, ppm, status, datetime_iso, ppm_value, download_id
FROM readings
WHERE (?1 IS NULL OR trim(instrument, ' ') = ?1) AND (?2 IS NULL OR trim(user_id, ' ') = ?2)
  AND (?3 IS NULL OR trim(location, ' ') = ?3) AND (?4 IS NULL OR datetime_iso >= ?4)
  AND (?5 IS NULL OR datetime_iso <= ?5) AND (?6 IS NULL OR download_id = ?6)
ORDER BY id
)sql";

constexpr const char* kSelectDownloads = R"sql(
SELECT id, started_at, finished_at, port, imported_from, program, instrument, firmware, instrument_clock, host_clock,
  settings IS NOT NULL, settings ->> '$.instrument', settings ->> '$.user_id', settings ->> '$.location',
  settings ->> '$.access_level', settings ->> '$.operating_mode', settings ->> '$.alarm', settings ->> '$.span',
  settings ->> '$.response_factor', lines, complete, erased, readings, new_readings
FROM downloads ORDER BY id DESC
)sql";

constexpr const char* kSelectEvents = R"sql(
SELECT id, at, port, instrument, kind, detail FROM events
WHERE (?1 IS NULL OR trim(instrument, ' ') = ?1) AND (?2 IS NULL OR at >= ?2) AND (?3 IS NULL OR at <= ?3)
ORDER BY at, id
)sql";

std::string instrument_bytes(const Statement& row, int column) { return latin1_of_utf8(row.text(column)); }

std::optional<std::string> optional_instrument_bytes(const Statement& row, int column) {
  if (row.is_null(column)) return std::nullopt;
  return instrument_bytes(row, column);
}

DownloadSettings settings_of(const Statement& row, int first_column) {
  DownloadSettings settings;
  int column = first_column;
  for (std::string* value : setting_fields(settings)) *value = instrument_bytes(row, column++);
  return settings;
}

DownloadSummary download_of(const Statement& row) {
  DownloadSummary summary;
  summary.id = row.integer(0);
  DownloadInfo& info = summary.info;
  info.started_at = row.text(1);
  info.finished_at = row.text(2);
  info.port = row.optional_text(3);
  info.imported_from = row.optional_text(4);
  info.program = row.text(5);
  info.instrument = optional_instrument_bytes(row, 6);
  info.firmware = optional_instrument_bytes(row, 7);
  info.instrument_clock = optional_instrument_bytes(row, 8);
  info.host_clock = row.text(9);
  if (row.integer(10) != 0) info.settings = settings_of(row, 11);
  summary.lines = row.integer(19);
  info.complete = row.integer(20) != 0;
  summary.erased = row.integer(21) != 0;
  summary.readings = row.integer(22);
  summary.new_readings = row.integer(23);
  return summary;
}

}  // namespace

void SqliteArchive::for_each_reading(const ReadingFilter& filter,
                                     const std::function<bool(const ArchivedReading& reading)>& on_reading) {
  Statement select(database_, kSelectReadings);
  select.bind(1, filter_text(filter.instrument)).bind(2, filter_text(filter.user_id));
  select.bind(3, filter_text(filter.location)).bind(4, filter.since_iso).bind(5, filter.until_iso);
  select.bind(6, filter.download_id);
  ArchivedReading archived;
  while (select.step()) {
    archived.id = select.integer(0);
    Reading& reading = archived.reading;
    reading.header.instrument_number = instrument_bytes(select, 1);
    reading.header.user_id = instrument_bytes(select, 2);
    reading.header.mode = instrument_bytes(select, 3);
    reading.date_time = instrument_bytes(select, 4);
    reading.location = instrument_bytes(select, 5);
    reading.ppm = instrument_bytes(select, 6);
    reading.status = instrument_bytes(select, 7);
    archived.datetime_iso = select.optional_text(8);
    archived.ppm_value = select.optional_real(9);
    archived.download_id = select.integer(10);
    if (!on_reading(archived)) return;
  }
}

std::vector<DownloadSummary> SqliteArchive::downloads() {
  Statement select(database_, kSelectDownloads);
  std::vector<DownloadSummary> downloads;
  while (select.step()) downloads.push_back(download_of(select));
  return downloads;
}

std::vector<ArchivedEvent> SqliteArchive::events(const EventFilter& filter) {
  Statement select(database_, kSelectEvents);
  select.bind(1, filter_text(filter.instrument)).bind(2, filter.since).bind(3, filter.until);
  std::vector<ArchivedEvent> events;
  while (select.step()) {
    const std::optional<EventKind> kind = event_kind_of(select.text(4));
    if (!kind) throw archive_error(ArchiveErrorKind::damaged, database_.path(), "an event of kind " + select.text(4));
    events.push_back(ArchivedEvent{
        select.integer(0),
        EventRecord{select.text(1), select.optional_text(2), optional_instrument_bytes(select, 3), *kind, select.text(5)}});
  }
  return events;
}

std::optional<bool> SqliteArchive::last_download_complete(const std::string& instrument) {
  Statement select(database_,
                   "SELECT complete FROM downloads WHERE trim(instrument, ' ') = ?1 ORDER BY id DESC LIMIT 1");
  select.bind(1, filter_text(instrument));
  if (!select.step()) return std::nullopt;
  return select.integer(0) != 0;
}

std::vector<std::string> SqliteArchive::download_lines(std::int64_t download_id) {
  Statement select(database_, "SELECT text FROM log_lines WHERE download_id = ?1 ORDER BY line_number");
  select.bind(1, download_id);
  std::vector<std::string> lines;
  while (select.step()) lines.push_back(instrument_bytes(select, 0));
  return lines;
}
