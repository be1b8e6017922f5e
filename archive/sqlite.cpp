#include "archive/sqlite.h"

#include <sqlite3.h>

namespace {

ArchiveErrorKind kind_of(int result_code) {
  switch (result_code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ArchiveErrorKind::busy;
    case SQLITE_CORRUPT:
      return ArchiveErrorKind::damaged;
    case SQLITE_NOTADB:
      return ArchiveErrorKind::not_an_archive;
    case SQLITE_CANTOPEN:
      return ArchiveErrorKind::cannot_open;
    default:
      return ArchiveErrorKind::write_failed;
  }
}

}  // namespace

Database::Database(const std::string& path, int open_flags) : path_(path) {
  const int result = sqlite3_open_v2(path.c_str(), &handle_, open_flags, nullptr);
  if (result != SQLITE_OK) {
    // The handle carries the message even when the open failed.
    const std::string detail = handle_ != nullptr ? sqlite3_errmsg(handle_) : sqlite3_errstr(result);
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
    throw archive_error(kind_of(result), path_, detail);
  }
  sqlite3_extended_result_codes(handle_, 1);
}

Database::~Database() { sqlite3_close_v2(handle_); }

void Database::execute(const char* sql) { check(sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr)); }

void Database::set_busy_timeout(int timeout_ms) {
  check(sqlite3_busy_timeout(handle_, timeout_ms));
  busy_timeout_ms_ = timeout_ms;
}

void Database::define_function(const char* name, int argument_count, SqlFunction function) {
  check(sqlite3_create_function_v2(handle_, name, argument_count, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   function, nullptr, nullptr, nullptr));
}

void Database::fail(int result_code) const {
  throw archive_error(kind_of(result_code), path_, sqlite3_errmsg(handle_));
}

void Database::check(int result_code) const {
  if (result_code != SQLITE_OK) fail(result_code);
}

std::int64_t Database::last_insert_id() const { return sqlite3_last_insert_rowid(handle_); }

int Database::changes() const { return sqlite3_changes(handle_); }

Statement::Statement(Database& database, const char* sql) : database_(database) {
  database_.check(sqlite3_prepare_v2(database_.handle(), sql, -1, &handle_, nullptr));
}

Statement::~Statement() { sqlite3_finalize(handle_); }

Statement& Statement::bind(int index, const std::string& text) {
  database_.check(sqlite3_bind_text64(handle_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

Statement& Statement::bind_kept(int index, std::string_view text) {
  database_.check(sqlite3_bind_text64(handle_, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8));
  return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
  database_.check(sqlite3_bind_int64(handle_, index, value));
  return *this;
}

Statement& Statement::bind(int index, double value) {
  database_.check(sqlite3_bind_double(handle_, index, value));
  return *this;
}

Statement& Statement::bind_null(int index) {
  database_.check(sqlite3_bind_null(handle_, index));
  return *this;
}

Statement& Statement::bind(int index, const std::optional<std::string>& text) {
  return text ? bind(index, *text) : bind_null(index);
}

Statement& Statement::bind(int index, const std::optional<double>& value) {
  return value ? bind(index, *value) : bind_null(index);
}

Statement& Statement::bind(int index, const std::optional<std::int64_t>& value) {
  return value ? bind(index, *value) : bind_null(index);
}

bool Statement::step() {
  const int result = sqlite3_step(handle_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  // The statement must be reset before the connection's message is read,
  // or a later step could report this failure again.
  sqlite3_reset(handle_);
  database_.fail(result);
}

void Statement::reset() { sqlite3_reset(handle_); }

std::string Statement::text(int column) const {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(handle_, column));
  return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(handle_, column)))
                          : std::string();
}

std::optional<std::string> Statement::optional_text(int column) const {
  if (is_null(column)) return std::nullopt;
  return text(column);
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(handle_, column); }

std::optional<double> Statement::optional_real(int column) const {
  if (is_null(column)) return std::nullopt;
  return sqlite3_column_double(handle_, column);
}

bool Statement::is_null(int column) const { return sqlite3_column_type(handle_, column) == SQLITE_NULL; }

std::int64_t single_integer(Database& database, const char* sql) {
  Statement query(database, sql);
  return query.step() ? query.integer(0) : 0;
}

ForeignKeysUnchecked::ForeignKeysUnchecked(Database& database) : database_(database) {
  database_.execute("PRAGMA foreign_keys = OFF");
}

ForeignKeysUnchecked::~ForeignKeysUnchecked() {
  sqlite3_exec(database_.handle(), "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
}

Transaction::Transaction(Database& database, TransactionStart start) : database_(database) {
  database_.execute(start == TransactionStart::immediate ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(database_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  database_.execute("COMMIT");
  open_ = false;
}
