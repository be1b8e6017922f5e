#include "archive/reading_inserter.h"

#include "datalog/reading_values.h"

namespace {

// The key finds a reading's few candidates (its earlier copies, rarely a
// collision), whose texts are then compared.
constexpr const char* kReadingArchived = R"sql(
SELECT EXISTS (SELECT 1 FROM readings WHERE identity_key = ?1 AND (?2 IS NULL OR log_epoch IS NULL OR log_epoch = ?2)
  AND instrument = ?3 AND user_id = ?4 AND mode = ?5 AND datetime = ?6 AND location = ?7 AND ppm = ?8
  AND status = ?9 AND occurrence = ?10)
)sql";
constexpr int kKeyParameter = 1;
constexpr int kEpochParameter = 2;
constexpr int kFirstTextParameter = 3;
constexpr int kOccurrenceParameter = 10;

// OR FAIL: a failing row fails the store, which is rolled back whole, so the
// statement keeps no journal to undo itself alone.
constexpr const char* kInsertReadings = R"sql(
INSERT OR FAIL INTO readings (instrument, user_id, mode, datetime, location, ppm, status, occurrence, log_epoch,
  datetime_iso, ppm_value, download_id, identity_key)
VALUES)sql";
constexpr int kReadingColumns = 13;

std::optional<std::int64_t> highest_key(Database& database) {
  Statement highest(database, "SELECT max(identity_key) FROM readings");
  highest.step();
  return highest.is_null(0) ? std::nullopt : std::optional<std::int64_t>(highest.integer(0));
}

}  // namespace

ReadingInserter::ReadingInserter(Database& database, std::int64_t download_id, std::optional<std::int64_t> epoch)
    : archived_(database, kReadingArchived),
      insert_(database, kInsertReadings, kReadingColumns,
              [this](Statement& statement, int first, std::size_t row) { bind_row(statement, first, row); }),
      download_id_(download_id),
      epoch_(epoch),
      highest_archived_key_(highest_key(database)) {
  archived_.bind(kEpochParameter, epoch);
}

void ReadingInserter::insert(const Reading& reading) {
  PendingReading& row = pending_[insert_.next_row()];
  row.identity.assign(reading);
  row.occurrence = occurrences_.next(row.identity.hash(), row.identity.bytes());
  row.datetime_iso = reading_datetime_iso(reading.date_time);
  row.key = identity_key(row.identity.hash(), row.occurrence, row.datetime_iso);
  ++readings_;
  // Pending readings need no lookup: no reading of a download is an earlier
  // copy of another, their identities or occurrences differ.
  if (archived(row)) return;
  row.ppm_value = reading_ppm_value(reading.ppm);
  insert_.add_row();
  ++new_readings_;
}

bool ReadingInserter::archived(const PendingReading& row) {
  if (!highest_archived_key_ || row.key > *highest_archived_key_) return false;
  archived_.bind(kKeyParameter, row.key);
  for (std::size_t i = 0; i < kIdentityTexts; ++i) {
    archived_.bind_kept(kFirstTextParameter + static_cast<int>(i), row.identity.text(i));
  }
  archived_.bind(kOccurrenceParameter, row.occurrence);
  archived_.step();
  const bool found = archived_.integer(0) != 0;
  archived_.reset();
  return found;
}

// In the order of kInsertReadings' columns.
void ReadingInserter::bind_row(Statement& statement, int first, std::size_t index) const {
  const PendingReading& row = pending_[index];
  constexpr int kTexts = static_cast<int>(kIdentityTexts);
  for (int i = 0; i < kTexts; ++i) statement.bind_kept(first + i, row.identity.text(static_cast<std::size_t>(i)));
  statement.bind(first + kTexts, row.occurrence).bind(first + kTexts + 1, epoch_);
  if (row.datetime_iso) {
    statement.bind_kept(first + kTexts + 2, *row.datetime_iso);
  } else {
    statement.bind_null(first + kTexts + 2);
  }
  statement.bind(first + kTexts + 3, row.ppm_value).bind(first + kTexts + 4, download_id_);
  statement.bind(first + kTexts + 5, row.key);
}
