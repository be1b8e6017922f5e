// The SQLite archive's writes: a download with its lines and readings in
// one transaction, the erased mark and the events.

#include <cstdint>
#include <string>

#include "archive/reading_identity.h"
#include "archive/row_batch.h"
#include "archive/sqlite_archive_class.h"
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
// unless any log brought it. The rows with its identity key are few (its
// earlier copies, rarely a collision): their texts are compared here.
constexpr const char* kReadingsOfKey = R"sql(
SELECT instrument, user_id, mode, datetime, location, ppm, status, occurrence FROM readings
WHERE identity_key = ?1 AND (?2 IS NULL OR log_epoch IS NULL OR log_epoch = ?2)
)sql";

constexpr const char* kInsertReadings = R"sql(
INSERT INTO readings (instrument, user_id, mode, datetime, location, ppm, status, occurrence, log_epoch,
  datetime_iso, ppm_value, download_id, identity_key)
VALUES)sql";
constexpr int kReadingColumns = 13;

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
  RowBatch batch(database, "INSERT INTO log_lines (download_id, line_number, text) VALUES", 3);
  std::int64_t line_number = 0;
  for (const std::string& line : lines) {
    batch.integer(download_id).integer(++line_number).instrument_text(line);
    batch.end_row();
  }
  batch.flush();
}

// Numbers each reading's occurrences among the readings alike in every
// field (1, 2, ...) and inserts those beyond what the archive holds.
class ReadingInserter {
 public:
  ReadingInserter(Database& database, std::int64_t download_id, std::optional<std::int64_t> epoch)
      : readings_of_key_(database, kReadingsOfKey),
        batch_(database, kInsertReadings, kReadingColumns),
        download_id_(download_id),
        epoch_(epoch),
        highest_archived_key_(highest_key(database)) {
    readings_of_key_.bind(2, epoch);
  }

  void insert(const Reading& reading) {
    identity_.assign(reading);
    const std::int64_t occurrence = occurrences_.next(identity_.hash(), identity_.bytes());
    const std::optional<std::string> datetime_iso = reading_datetime_iso(reading.date_time);
    const std::int64_t key = identity_key(identity_.hash(), occurrence, datetime_iso);
    ++readings_;
    if (archived(key, occurrence)) return;
    // Rows still in the batch need no lookup: no reading of one download is
    // an earlier copy of another, their identities or occurrences differ.
    for (std::size_t i = 0; i < kIdentityTexts; ++i) batch_.text(identity_.text(i));
    batch_.integer(occurrence).optional_integer(epoch_);
    batch_.optional_text(datetime_iso).optional_real(reading_ppm_value(reading.ppm));
    batch_.integer(download_id_).integer(key);
    batch_.end_row();
    ++new_readings_;
  }

  void flush() { batch_.flush(); }
  std::int64_t readings() const { return readings_; }
  std::int64_t new_readings() const { return new_readings_; }

 private:
  // Keys grow with the readings' time, so the readings of a log newer than
  // all the archive holds need no lookup.
  static std::optional<std::int64_t> highest_key(Database& database) {
    Statement highest(database, "SELECT max(identity_key) FROM readings");
    highest.step();
    return highest.is_null(0) ? std::nullopt : std::optional<std::int64_t>(highest.integer(0));
  }

  bool archived(std::int64_t key, std::int64_t occurrence) {
    if (!highest_archived_key_ || key > *highest_archived_key_) return false;
    readings_of_key_.bind(1, key);
    bool found = false;
    while (!found && readings_of_key_.step()) found = same_reading(readings_of_key_, occurrence);
    readings_of_key_.reset();
    return found;
  }

  bool same_reading(const Statement& row, std::int64_t occurrence) const {
    for (std::size_t i = 0; i < kIdentityTexts; ++i) {
      if (row.text_view(static_cast<int>(i)) != identity_.text(i)) return false;
    }
    return row.integer(static_cast<int>(kIdentityTexts)) == occurrence;
  }

  Statement readings_of_key_;
  RowBatch batch_;
  std::int64_t download_id_;
  std::optional<std::int64_t> epoch_;
  std::optional<std::int64_t> highest_archived_key_;
  StoredIdentity identity_;
  OccurrenceCounter occurrences_;
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
  inserter.flush();
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
