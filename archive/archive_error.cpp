#include "archive/archive_error.h"

ArchiveError archive_error(ArchiveErrorKind kind, const std::string& path, const std::string& detail) {
  const std::string archive = "the archive " + path;
  switch (kind) {
    case ArchiveErrorKind::cannot_open:
      return {kind, "cannot open " + archive + " (" + detail + "); check the name, the folder and its permissions"};
    case ArchiveErrorKind::not_an_archive:
      return {kind, path + " is not a survey archive (" + detail + "); it was left unchanged: name another file"};
    case ArchiveErrorKind::newer_version:
      return {kind, archive + " was written by a newer version of this program (" + detail +
                        "); it was left unchanged: use the newer version"};
    case ArchiveErrorKind::damaged:
      return {kind, archive + " is damaged (" + detail +
                        "); nothing was written to it: keep a copy of the file and restore the archive from a backup"};
    case ArchiveErrorKind::busy:
      return {kind, archive + " is in use by another program (" + detail + "); nothing was stored: try again"};
    case ArchiveErrorKind::write_failed:
      return {kind, archive + " could not be written (" + detail +
                        "); nothing of this operation was stored: check the disk's free space and the file's permissions"};
    case ArchiveErrorKind::not_found:
      return {kind, archive + " has no " + detail};
    case ArchiveErrorKind::bad_import:
      return {kind, path + " is not an export of readings (" + detail + "); nothing was imported"};
  }
  return {kind, archive + ": " + detail};
}
