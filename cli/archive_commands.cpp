// archive list, readings, history, import and check: the survey archive
// looked into, and CSV exports added to it. None of them touches a port.
//
// list, readings, history and check need the archive there and never make
// one; import makes it when missing, as a command that stores. Readings
// stream from the archive to standard output one at a time, in the order
// they arrived, in the bytes of the export or of log download's JSON.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/archive_access.h"
#include "cli/archive_output.h"
#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/reading_filters.h"
#include "cli/wall_clock.h"
#include "datalog/csv.h"

namespace {

// The body with the archive opened to read it; kExitArchive when it cannot
// be, or when the body meets a failure of the archive.
int with_archive_to_read(const Invocation& invocation, const Streams& streams,
                         const std::function<int(Archive& archive, const std::string& path)>& body) {
  CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::read);
  if (!opened.archive) return kExitArchive;
  return with_archive_errors(streams, [&] { return body(*opened.archive, opened.path); });
}

void write_readings(Archive& archive, const ReadingFilter& filter, LogFormat format, std::ostream& out) {
  if (format == LogFormat::json) {
    ReadingsJsonWriter writer(out);
    archive.for_each_reading(filter, [&writer](const ArchivedReading& archived) {
      writer.add(archived.reading);
      return true;
    });
    writer.finish();
    return;
  }
  out << kCsvHeaderLine;
  std::string row;
  archive.for_each_reading(filter, [&out, &row](const ArchivedReading& archived) {
    compose_csv_row(archived.reading, row);
    out << row;
    return static_cast<bool>(out);
  });
}

// One file's readings as a download of its own, with no port and no lines.
DownloadRecord import_record(const std::string& file) {
  DownloadRecord record;
  record.info.started_at = utc_iso_now();
  record.info.finished_at = record.info.started_at;
  record.info.imported_from = std::filesystem::absolute(std::filesystem::u8path(file)).u8string();
  record.info.program = program_and_version();
  record.info.host_clock = local_time_with_offset_now();
  record.info.complete = true;
  return record;
}

// The file imported, or none with the reason reported: a file that cannot
// be read or is not an export is refused whole.
std::optional<ImportedFile> import_file(Archive& archive, const std::string& file, const Streams& streams) {
  std::ifstream csv(std::filesystem::u8path(file), std::ios::binary);
  if (!csv) {
    report(streams, "cannot read " + file + "; nothing of it was imported");
    return std::nullopt;
  }
  DownloadRecord record = import_record(file);
  try {
    return ImportedFile{file, archive.store_download(record, readings_of_csv(csv, file))};
  } catch (const ArchiveError& error) {
    report(streams, error.what());
    return std::nullopt;
  }
}

}  // namespace

int run_archive_list(const Invocation& invocation, const Streams& streams) {
  return with_archive_to_read(invocation, streams, [&](Archive& archive, const std::string&) {
    const std::vector<DownloadSummary> downloads = archive.downloads();
    streams.out << (invocation.json ? downloads_json(downloads) : downloads_text(downloads));
    return kExitDone;
  });
}

int run_archive_readings(const Invocation& invocation, const Streams& streams) {
  std::string error;
  const std::optional<ReadingFilter> filter = reading_filter_of(invocation.filters, error);
  if (!filter) {
    report(streams, "archive readings: " + error);
    return kExitUsage;
  }
  return with_archive_to_read(invocation, streams, [&](Archive& archive, const std::string&) {
    write_readings(archive, *filter, invocation.format, streams.out);
    return kExitDone;
  });
}

int run_archive_history(const Invocation& invocation, const Streams& streams) {
  return with_archive_to_read(invocation, streams, [&](Archive& archive, const std::string&) {
    EventFilter filter;
    filter.instrument = invocation.filters.instrument;
    const std::vector<ArchivedEvent> events = archive.events(filter);
    streams.out << (invocation.json ? events_json(events) : events_text(events));
    return kExitDone;
  });
}

int run_archive_import(const Invocation& invocation, const Streams& streams) {
  CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::store);
  if (!opened.archive) return kExitArchive;
  std::vector<ImportedFile> imported;
  for (const std::string& file : invocation.files) {
    if (std::optional<ImportedFile> done = import_file(*opened.archive, file, streams)) imported.push_back(*done);
  }
  streams.out << (invocation.json ? imports_json(imported) : imports_text(imported));
  return imported.size() == invocation.files.size() ? kExitDone : kExitArchive;
}

int run_archive_check(const Invocation& invocation, const Streams& streams) {
  return with_archive_to_read(invocation, streams, [&](Archive& archive, const std::string& path) {
    const ArchiveCheck check = archive.check();
    streams.out << (invocation.json ? check_json(check) : check_text(check));
    if (!check.ok) {
      report(streams, "the archive " + path + " is damaged: keep a copy of the file and restore it from a backup");
    }
    return check.ok ? kExitDone : kExitArchive;
  });
}
