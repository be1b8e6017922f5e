#pragma once
// A thin owner of SQLite's handles: a database connection, a prepared
// statement and a write transaction, each closed, finalized or rolled back
// when it goes out of scope, and every failure turned into an ArchiveError
// that names the file.
//
// Values reach SQL only through bound parameters; the SQL texts are the
// caller's constants. A transaction is BEGIN IMMEDIATE, so a writer waits
// for the write lock (up to the connection's busy time-out) before it reads
// what it will change, never in the middle.
//
// It does not hide SQL, cache statements or retry: the archive decides those.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "archive/archive_error.h"

struct sqlite3;
struct sqlite3_context;
struct sqlite3_stmt;
struct sqlite3_value;

// An SQL function of the connection: SQLite's own calling convention.
using SqlFunction = void (*)(sqlite3_context* context, int argument_count, sqlite3_value** arguments);

class Database {
 public:
  // flags as sqlite3_open_v2's; path in UTF-8.
  Database(const std::string& path, int open_flags);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Runs constant SQL (statements without values), such as a schema script.
  void execute(const char* sql);
  void set_busy_timeout(int timeout_ms);
  int busy_timeout_ms() const { return busy_timeout_ms_; }
  // A deterministic function of its arguments, for this connection's SQL.
  void define_function(const char* name, int argument_count, SqlFunction function);

  // Throws the ArchiveError of an SQLite result code and this connection's
  // error message.
  [[noreturn]] void fail(int result_code) const;
  void check(int result_code) const;

  std::int64_t last_insert_id() const;
  int changes() const;
  const std::string& path() const { return path_; }
  sqlite3* handle() const { return handle_; }

 private:
  std::string path_;
  sqlite3* handle_ = nullptr;
  int busy_timeout_ms_ = 0;
};

class Statement {
 public:
  Statement(Database& database, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Parameters count from 1, as in SQL's ?1. Texts are copied, except by
  // bind_kept, whose text the caller keeps unchanged until the next reset.
  Statement& bind(int index, const std::string& text);
  Statement& bind_kept(int index, std::string_view text);
  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, double value);
  Statement& bind_null(int index);
  Statement& bind(int index, const std::optional<std::string>& text);
  Statement& bind(int index, const std::optional<double>& value);
  Statement& bind(int index, const std::optional<std::int64_t>& value);

  // true while there is a row to read; false once the statement is done.
  bool step();
  // Ready to run again; the parameters stay bound until bound anew.
  void reset();

  // Columns count from 0.
  std::string text(int column) const;
  std::optional<std::string> optional_text(int column) const;
  std::int64_t integer(int column) const;
  std::optional<double> optional_real(int column) const;
  bool is_null(int column) const;

 private:
  Database& database_;
  sqlite3_stmt* handle_ = nullptr;
};

// The first column of the first row of constant SQL (a count, a PRAGMA's
// value); 0 when there is no row.
std::int64_t single_integer(Database& database, const char* sql);

// Foreign keys unchecked for a while: PRAGMA foreign_keys takes effect only
// outside a transaction, so this is made before the transaction begins and
// ends after it ends, committed or not.
class ForeignKeysUnchecked {
 public:
  explicit ForeignKeysUnchecked(Database& database);  // PRAGMA foreign_keys = OFF
  ~ForeignKeysUnchecked();                            // ON again
  ForeignKeysUnchecked(const ForeignKeysUnchecked&) = delete;
  ForeignKeysUnchecked& operator=(const ForeignKeysUnchecked&) = delete;

 private:
  Database& database_;
};

// immediate: a writer's, which takes the write lock at once. deferred: a
// reader's, whose reads all see the file as it was at the first of them.
enum class TransactionStart { immediate, deferred };

class Transaction {
 public:
  explicit Transaction(Database& database, TransactionStart start = TransactionStart::immediate);
  ~Transaction();                            // ROLLBACK unless committed
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

 private:
  Database& database_;
  bool open_ = true;
};
