#include "archive/sqlite_archive.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "archive/schema.h"
#include "archive/sqlite_archive_class.h"
#include "datalog/latin1.h"

namespace {

std::filesystem::path file_system_path(const std::string& path) {
  // The names are UTF-8 whatever the system's code page, as SQLite takes them.
  return std::filesystem::u8path(path);
}

void make_folder_of(const std::string& path) {
  const std::filesystem::path folder = file_system_path(path).parent_path();
  std::error_code error;
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  if (error) throw archive_error(ArchiveErrorKind::cannot_open, path, "its folder cannot be made: " + error.message());
}

}  // namespace

std::string stored_text(const std::string& bytes) { return utf8_of_latin1(bytes); }

std::string_view stored_text_view(const std::string& bytes, std::string& buffer) {
  const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return bytes;
  buffer.clear();
  append_utf8_of_latin1(bytes, buffer);
  return buffer;
}

std::optional<std::string> stored_text(const std::optional<std::string>& bytes) {
  if (!bytes) return std::nullopt;
  return stored_text(*bytes);
}

std::optional<std::string> filter_text(const std::optional<std::string>& bytes) {
  if (!bytes) return std::nullopt;
  const std::size_t first = bytes->find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return stored_text(bytes->substr(first, bytes->find_last_not_of(' ') + 1 - first));
}

SqliteArchive::SqliteArchive(const std::string& path, int open_flags, bool may_create)
    : database_(path, open_flags) {
  database_.set_busy_timeout(kArchiveBusyTimeoutMs);
  prepare_archive(database_, may_create);
}

ArchiveCheck SqliteArchive::check() {
  ArchiveCheck result;
  try {
    Statement integrity(database_, "PRAGMA integrity_check");
    while (integrity.step()) {
      if (integrity.text(0) != "ok") result.problems.push_back(integrity.text(0));
    }
    Statement references(database_, "PRAGMA foreign_key_check");
    while (references.step()) {
      result.problems.push_back(references.text(0) + " row " + references.text(1) + " refers to a missing " +
                                references.text(2) + " row");
    }
    result.schema_version = static_cast<int>(single_integer(database_, "PRAGMA user_version"));
    result.downloads = single_integer(database_, "SELECT count(*) FROM downloads");
    result.log_lines = single_integer(database_, "SELECT count(*) FROM log_lines");
    result.readings = single_integer(database_, "SELECT count(*) FROM readings");
    result.events = single_integer(database_, "SELECT count(*) FROM events");
  } catch (const ArchiveError& error) {
    // A check that meets the damage it looks for reports it.
    if (error.kind() != ArchiveErrorKind::damaged) throw;
    result.problems.push_back(error.what());
  }
  result.ok = result.problems.empty();
  return result;
}

std::unique_ptr<Archive> open_archive(const std::string& path, ArchiveOpenMode mode) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file_system_path(path), error);
  if (std::filesystem::is_directory(status)) throw archive_error(ArchiveErrorKind::cannot_open, path, "a folder");
  const bool may_create = mode == ArchiveOpenMode::create;
  if (!std::filesystem::exists(status)) {
    if (!may_create) throw archive_error(ArchiveErrorKind::cannot_open, path, "no such file");
    make_folder_of(path);
  }
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (may_create ? SQLITE_OPEN_CREATE : 0);
  return std::make_unique<SqliteArchive>(path, flags, may_create);
}
