#pragma once
// A download's readings into the archive, inside the store's transaction:
// each reading's occurrence among those alike in every text (1, 2, ...) is
// numbered, and the reading is inserted unless the archive holds it already
// with that occurrence from the same log (the same erasures before it) or
// from an import, which belongs to no log; an import's reading (epoch none)
// is new unless any log or import brought it.
//
// A reading whose identity key (archive/reading_identity.h) is above every
// key the archive held when the store began cannot have an earlier copy:
// keys grow with the readings' time, so a new log's readings skip the
// lookup. New readings go in in their order, kRowsPerInsert a statement
// (archive/multi_row_insert.h).
//
// It does not commit: the caller flushes, then ends the transaction.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/multi_row_insert.h"
#include "archive/reading_identity.h"
#include "archive/sqlite.h"
#include "datalog/readings.h"

class ReadingInserter {
 public:
  // epoch: the download's log_epoch; none for an import.
  ReadingInserter(Database& database, std::int64_t download_id, std::optional<std::int64_t> epoch);
  ReadingInserter(const ReadingInserter&) = delete;
  ReadingInserter& operator=(const ReadingInserter&) = delete;

  void insert(const Reading& reading);
  // Inserts the readings still pending; before the caller commits.
  void flush() { insert_.flush(); }

  std::int64_t readings() const { return readings_; }
  std::int64_t new_readings() const { return new_readings_; }

 private:
  // What a reading's row holds beyond the download's values, kept until it
  // is inserted.
  struct PendingReading {
    StoredIdentity identity;
    std::int64_t occurrence = 0;
    std::optional<std::string> datetime_iso;
    std::int64_t key = 0;
    std::optional<double> ppm_value;
  };

  bool archived(const PendingReading& row);
  void bind_row(Statement& statement, int first_parameter, std::size_t row) const;

  Statement archived_;
  MultiRowInsert insert_;
  std::int64_t download_id_;
  std::optional<std::int64_t> epoch_;
  std::optional<std::int64_t> highest_archived_key_;
  std::array<PendingReading, kRowsPerInsert> pending_;
  OccurrenceCounter occurrences_;
  std::int64_t readings_ = 0;
  std::int64_t new_readings_ = 0;
};
