#include "cli/archive_access.h"

#include <filesystem>
#include <system_error>

#include "archive/sqlite_archive.h"
#include "cli/archive_location.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"

namespace {

bool file_exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::u8path(path), error);
}

}  // namespace

CommandArchive open_command_archive(const Invocation& invocation, const Streams& streams, ArchiveUse use) {
  CommandArchive opened;
  opened.path = archive_path(invocation);
  if (opened.path.empty()) {
    if (use == ArchiveUse::record) return opened;
    report(streams, std::string("no place for the survey archive: give --archive FILE or set ") + kArchiveVariable);
    opened.failed = true;
    return opened;
  }
  if (use == ArchiveUse::record && !file_exists(opened.path)) return opened;
  try {
    opened.archive =
        open_archive(opened.path, use == ArchiveUse::store ? ArchiveOpenMode::create : ArchiveOpenMode::existing);
  } catch (const ArchiveError& error) {
    archive_failure(streams, error);
    opened.failed = true;
  }
  return opened;
}

int archive_failure(const Streams& streams, const ArchiveError& error) {
  report(streams, error.what());
  return kExitArchive;
}

int with_archive_errors(const Streams& streams, const std::function<int()>& body) {
  try {
    return body();
  } catch (const ArchiveError& error) {
    return archive_failure(streams, error);
  }
}
