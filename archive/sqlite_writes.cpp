// The SQLite archive's writes: a download with its lines and readings in
// one transaction, the erased mark and the events.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "archive/sqlite_archive_class.h"
#include "datalog/csv.h"
#include "datalog/reading_values.h"

namespace {

constexpr const char* kInsertDownload = R"sql(
INSERT INTO downloads (started_at, finished_at, port, imported_from, program, instrument, firmware,
  instrument_clock, host_clock, settings, lines, complete, log_epoch)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9,
  CASE WHEN ?10 THEN json_object('instrument', ?11, 'user_id', ?12, 'location', ?13, 'access_level', ?14,
    'operating_mode', ?15, 'alarm', ?16, 'span', ?17, 'response_factor', ?18) END,
  ?19, ?20, ?21)
)sql";

// An erasure is a download marked erased, or an erase event; each one
// starts a new log in the instrument.
constexpr const char* kErasures = R"sql(
SELECT (SELECT count(*) FROM downloads WHERE trim(instrument, ' ') = ?1 AND erased = 1)
     + (SELECT count(*) FROM events WHERE trim(instrument, ' ') = ?1 AND kind = 'erase')
)sql";

// A reading is new unless the archive holds it already with this
// occurrence: from the same log (the same erasures before it) or from an
// import, which belongs to no log. An import's reading (epoch NULL) is new
// unless any log brought it. Asked apart from the insert: an INSERT that
// selects from its own table goes through a temporary table each time.
constexpr const char* kReadingArchived = R"sql(
SELECT EXISTS (SELECT 1 FROM readings WHERE datetime = ?4 AND location = ?5 AND instrument = ?1 AND user_id = ?2
  AND mode = ?3 AND ppm = ?6 AND status = ?7 AND occurrence = ?8
  AND (?9 IS NULL OR log_epoch IS NULL OR log_epoch = ?9))
)sql";

constexpr const char* kInsertReading = R"sql(
INSERT INTO readings (instrument, user_id, mode, datetime, location, ppm, status, occurrence, log_epoch,
  datetime_iso, ppm_value, download_id)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)
)sql";

std::optional<std::int64_t> log_epoch(Database& database, const DownloadInfo& info) {
  if (info.imported_from) return std::nullopt;
  if (!info.instrument) return 0;
  Statement erasures(database, kErasures);
  erasures.bind(1, *filter_text(info.instrument));
  return erasures.step() ? erasures.integer(0) : 0;
}

std::int64_t insert_download(Database& database, const DownloadRecord& download,
                             std::optional<std::int64_t> epoch) {
  const DownloadInfo& info = download.info;
  Statement insert(database, kInsertDownload);
  insert.bind(1, info.started_at).bind(2, info.finished_at).bind(3, info.port).bind(4, info.imported_from);
  insert.bind(5, info.program).bind(6, stored_text(info.instrument)).bind(7, stored_text(info.firmware));
  insert.bind(8, stored_text(info.instrument_clock)).bind(9, info.host_clock);
  if (const auto& settings = info.settings) {
    insert.bind(10, std::int64_t{1});
    int index = 11;
    for (const std::string* value : setting_fields(*settings)) insert.bind(index++, stored_text(*value));
  }
  insert.bind(19, static_cast<std::int64_t>(download.lines.size()));
  insert.bind(20, std::int64_t{info.complete ? 1 : 0}).bind(21, epoch);
  insert.step();
  return database.last_insert_id();
}

void insert_lines(Database& database, std::int64_t download_id, const std::vector<std::string>& lines) {
  Statement insert(database, "INSERT INTO log_lines (download_id, line_number, text) VALUES (?1, ?2, ?3)");
  std::int64_t line_number = 0;
  for (const std::string& line : lines) {
    insert.bind(1, download_id).bind(2, ++line_number).bind(3, stored_text(line));
    insert.step();
    insert.reset();
  }
}

// Numbers each reading's occurrences among the readings alike in every
// field (1, 2, ...) and inserts those beyond what the archive holds.
class ReadingInserter {
 public:
  ReadingInserter(Database& database, std::int64_t download_id, std::optional<std::int64_t> epoch)
      : archived_(database, kReadingArchived), insert_(database, kInsertReading), download_id_(download_id),
        epoch_(epoch) {}

  void insert(const Reading& reading) {
    // The CSV row stands for all seven fields: the export reads back into
    // exactly them, so two rows are equal only when the readings are.
    compose_csv_row(reading, row_);
    const std::int64_t occurrence = ++occurrences_[row_];
    ++readings_;
    const std::string* texts[] = {&reading.header.instrument_number, &reading.header.user_id, &reading.header.mode,
                                  &reading.date_time, &reading.location, &reading.ppm, &reading.status};
    for (std::size_t i = 0; i < kIdentityFields; ++i) stored_[i] = stored_text(*texts[i]);
    bind_identity(archived_, occurrence);
    archived_.step();
    const bool archived = archived_.integer(0) != 0;
    archived_.reset();
    if (archived) return;
    bind_identity(insert_, occurrence);
    insert_.bind(10, reading_datetime_iso(reading.date_time)).bind(11, reading_ppm_value(reading.ppm));
    insert_.bind(12, download_id_);
    insert_.step();
    insert_.reset();
    ++new_readings_;
  }

  std::int64_t readings() const { return readings_; }
  std::int64_t new_readings() const { return new_readings_; }

 private:
  // The seven texts as stored, kept for both statements' steps.
  void bind_identity(Statement& statement, std::int64_t occurrence) {
    for (std::size_t i = 0; i < kIdentityFields; ++i) statement.bind_kept(static_cast<int>(i) + 1, stored_[i]);
    statement.bind(8, occurrence).bind(9, epoch_);
  }

  static constexpr std::size_t kIdentityFields = 7;
  Statement archived_;
  Statement insert_;
  std::int64_t download_id_;
  std::optional<std::int64_t> epoch_;
  std::unordered_map<std::string, std::int64_t> occurrences_;
  std::string row_;
  std::array<std::string, kIdentityFields> stored_;
  std::int64_t readings_ = 0;
  std::int64_t new_readings_ = 0;
};

}  // namespace

StoredDownload SqliteArchive::store_download(const DownloadRecord& download, const ReadingSource& readings) {
  Transaction transaction(database_);
  const std::optional<std::int64_t> epoch = log_epoch(database_, download.info);
  const std::int64_t download_id = insert_download(database_, download, epoch);
  insert_lines(database_, download_id, download.lines);
  ReadingInserter inserter(database_, download_id, epoch);
  readings([&inserter](const Reading& reading) { inserter.insert(reading); });
  Statement counts(database_, "UPDATE downloads SET readings = ?2, new_readings = ?3 WHERE id = ?1");
  counts.bind(1, download_id).bind(2, inserter.readings()).bind(3, inserter.new_readings());
  counts.step();
  transaction.commit();
  return StoredDownload{download_id, inserter.readings(), inserter.new_readings()};
}

void SqliteArchive::mark_erased(std::int64_t download_id) {
  Statement mark(database_, "UPDATE downloads SET erased = 1 WHERE id = ?1");
  mark.bind(1, download_id);
  mark.step();
  if (database_.changes() == 0) {
    throw archive_error(ArchiveErrorKind::not_found, database_.path(), "download " + std::to_string(download_id));
  }
}

void SqliteArchive::record_event(const EventRecord& event) {
  Statement insert(database_, "INSERT INTO events (at, port, instrument, kind, detail) VALUES (?1, ?2, ?3, ?4, ?5)");
  insert.bind(1, event.at).bind(2, event.port).bind(3, stored_text(event.instrument));
  insert.bind(4, std::string(event_kind_name(event.kind))).bind(5, event.detail_json);
  insert.step();
}
