#include "archive/schema.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "archive/reading_identity.h"

namespace {

// Each step brings the file from the version before it to its own; the
// last one's version is kArchiveSchemaVersion. A step sets user_version in
// its own SQL, since PRAGMA takes no bound values.
struct SchemaStep {
  int version;
  const char* sql;
};

constexpr const char* kVersion1 = R"sql(
CREATE TABLE downloads (
  id INTEGER PRIMARY KEY,
  started_at TEXT NOT NULL,
  finished_at TEXT NOT NULL,
  port TEXT,
  imported_from TEXT,
  program TEXT NOT NULL,
  instrument TEXT,
  firmware TEXT,
  instrument_clock TEXT,
  host_clock TEXT NOT NULL,
  settings TEXT CHECK (settings IS NULL OR json_valid(settings)),
  lines INTEGER NOT NULL,
  complete INTEGER NOT NULL CHECK (complete IN (0, 1)),
  erased INTEGER NOT NULL DEFAULT 0 CHECK (erased IN (0, 1)),
  readings INTEGER NOT NULL DEFAULT 0,
  new_readings INTEGER NOT NULL DEFAULT 0,
  log_epoch INTEGER
);
CREATE INDEX downloads_by_instrument ON downloads (instrument);
CREATE TABLE log_lines (
  download_id INTEGER NOT NULL REFERENCES downloads (id),
  line_number INTEGER NOT NULL CHECK (line_number >= 1),
  text TEXT NOT NULL,
  PRIMARY KEY (download_id, line_number)
) WITHOUT ROWID;
CREATE TABLE readings (
  id INTEGER PRIMARY KEY,
  instrument TEXT NOT NULL,
  user_id TEXT NOT NULL,
  mode TEXT NOT NULL,
  datetime TEXT NOT NULL,
  location TEXT NOT NULL,
  ppm TEXT NOT NULL,
  status TEXT NOT NULL,
  datetime_iso TEXT,
  ppm_value REAL,
  occurrence INTEGER NOT NULL CHECK (occurrence >= 1),
  log_epoch INTEGER,
  download_id INTEGER NOT NULL REFERENCES downloads (id)
);
CREATE INDEX readings_by_time_and_place ON readings (datetime, location);
CREATE TABLE events (
  id INTEGER PRIMARY KEY,
  at TEXT NOT NULL,
  port TEXT,
  instrument TEXT,
  kind TEXT NOT NULL,
  detail TEXT NOT NULL CHECK (json_valid(detail))
);
PRAGMA application_id = 925972811;
PRAGMA user_version = 1;
)sql";

// The identity key makes the check for an earlier copy one integer lookup;
// the index by time and place served only that check.
constexpr const char* kVersion2 = R"sql(
ALTER TABLE readings ADD COLUMN identity_key INTEGER NOT NULL DEFAULT 0;
UPDATE readings SET identity_key = reading_identity(instrument, user_id, mode, datetime, location, ppm, status,
  occurrence, datetime_iso);
DROP INDEX readings_by_time_and_place;
CREATE INDEX readings_by_identity ON readings (identity_key);
PRAGMA user_version = 2;
)sql";

constexpr std::chrono::milliseconds kWriteAheadLogRetry{10};

constexpr SchemaStep kSchemaSteps[] = {{1, kVersion1}, {2, kVersion2}};

constexpr const char* kArchiveTables[] = {"downloads", "log_lines", "readings", "events"};

struct FileState {
  std::int64_t application_id = 0;
  std::int64_t version = 0;
  std::vector<std::string> tables;

  bool empty() const { return application_id == 0 && version == 0 && tables.empty(); }
  bool has_table(const std::string& name) const {
    for (const std::string& table : tables) {
      if (table == name) return true;
    }
    return false;
  }
};

// Reads only: SQLite reports a file that is not a database (or a damaged
// one) at the first read, which the caller's error then names.
FileState inspect(Database& database) {
  FileState state;
  state.application_id = single_integer(database, "PRAGMA application_id");
  state.version = single_integer(database, "PRAGMA user_version");
  Statement tables(database, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
  while (tables.step()) state.tables.push_back(tables.text(0));
  return state;
}

// The same in one read transaction, so that another program's creation or
// upgrade of the file is seen whole or not at all.
FileState inspect_at_once(Database& database) {
  Transaction reading(database, TransactionStart::deferred);
  const FileState state = inspect(database);
  reading.commit();
  return state;
}

// Throws unless the file may be opened as it is or upgraded; true when it
// must be upgraded (or created) first.
bool needs_upgrade(const FileState& state, bool may_create, const std::string& path) {
  if (state.empty()) {
    if (may_create) return true;
    throw archive_error(ArchiveErrorKind::not_an_archive, path, "an empty database");
  }
  if (state.application_id != kArchiveApplicationId) {
    throw archive_error(ArchiveErrorKind::not_an_archive, path, "an SQLite database of other data");
  }
  if (state.version > kArchiveSchemaVersion) {
    throw archive_error(ArchiveErrorKind::newer_version, path,
                        "archive version " + std::to_string(state.version) + ", this program reads up to version " +
                            std::to_string(kArchiveSchemaVersion));
  }
  return state.version < kArchiveSchemaVersion;
}

void check_tables(const FileState& state, const std::string& path) {
  for (const char* table : kArchiveTables) {
    if (!state.has_table(table)) throw archive_error(ArchiveErrorKind::damaged, path, std::string("no table ") + table);
  }
}

void upgrade(Database& database, bool may_create) {
  Transaction transaction(database);
  // Looked at again under the write lock: another program may have created
  // or upgraded the file since.
  const FileState state = inspect(database);
  if (!needs_upgrade(state, may_create, database.path())) return;
  for (const SchemaStep& step : kSchemaSteps) {
    if (step.version > state.version) database.execute(step.sql);
  }
  transaction.commit();
}

// Switching to write-ahead logging needs the file to itself, and SQLite
// refuses it at once rather than wait while another program is creating
// or opening the archive too: it is tried again until the busy time-out.
// The switch is kept in the file, so later opens find it done.
void use_write_ahead_log(Database& database) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(database.busy_timeout_ms());
  for (;;) {
    try {
      Statement switching(database, "PRAGMA journal_mode = WAL");
      // A switch that could not be made answers with the mode kept.
      if (switching.step() && switching.text(0) == "wal") return;
    } catch (const ArchiveError& error) {
      if (error.kind() != ArchiveErrorKind::busy) throw;
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      throw archive_error(ArchiveErrorKind::busy, database.path(), "its journal cannot be switched to WAL");
    }
    std::this_thread::sleep_for(kWriteAheadLogRetry);
  }
}

}  // namespace

void prepare_archive(Database& database, bool may_create) {
  // The upgrade to version 2 computes the readings' keys with it.
  define_reading_identity(database);
  if (needs_upgrade(inspect_at_once(database), may_create, database.path())) upgrade(database, may_create);
  check_tables(inspect_at_once(database), database.path());
  use_write_ahead_log(database);
  database.execute("PRAGMA synchronous = FULL");
  database.execute("PRAGMA foreign_keys = ON");
  database.execute("PRAGMA cache_size = -32768");
  // A statement of many rows keeps a journal of its own, to undo itself
  // alone; in memory, not in a temporary file of a write a page.
  database.execute("PRAGMA temp_store = MEMORY");
}
