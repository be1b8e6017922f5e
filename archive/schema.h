#pragma once
// The archive file's schema and its versions. PRAGMA application_id marks
// the file as a survey archive, PRAGMA user_version is its schema version;
// docs/archive-schema.md describes the tables for any SQLite client.
//
// prepare_archive looks at a freshly opened file before anything is written
// to it: a file that is not SQLite, an SQLite file of other data, a damaged
// one or one of a newer version is refused and left exactly as it was. An
// empty file (when creating is allowed) or an older version is brought to
// the current version in one write transaction, by the upgrade steps in
// order (version 0 is the empty file). Only then is the connection set up
// for writing: WAL, synchronous FULL, foreign keys enforced (but inside a
// store, whose rows refer to the download it has just inserted).
//
// It does not run a full integrity check at each open: that reads the whole
// file, which grows for years; Archive::check does it on request.

#include <cstdint>

#include "archive/sqlite.h"

inline constexpr int kArchiveSchemaVersion = 2;
// "719K" in ASCII.
inline constexpr std::int64_t kArchiveApplicationId = 0x3731394B;

void prepare_archive(Database& database, bool may_create);
