#pragma once
// The one error of the archive, whatever stores it: a kind that a program
// can act on, and a message for the operator that names the file and says
// what to do. Every operation that throws it has left the archive as it was
// before the operation.

#include <stdexcept>
#include <string>

enum class ArchiveErrorKind {
  cannot_open,     // missing, a folder, no permission, or its folder cannot be made
  not_an_archive,  // not SQLite at all, or an SQLite file of other data
  newer_version,   // written by a newer program: left as it is
  damaged,         // SQLite found the file malformed
  busy,            // another program held it longer than the busy time-out
  write_failed,    // the disk refused (full, read-only, I/O error)
  not_found,       // no such download
  bad_import,      // the file to import is not an export of readings
};

class ArchiveError : public std::runtime_error {
 public:
  ArchiveError(ArchiveErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ArchiveErrorKind kind() const { return kind_; }

 private:
  ArchiveErrorKind kind_;
};

// The operator's message for an error of the archive at path; detail says
// what exactly failed (SQLite's words, the version found, ...).
ArchiveError archive_error(ArchiveErrorKind kind, const std::string& path, const std::string& detail);
