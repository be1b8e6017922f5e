#include "cli/download_store.h"

#include <cctype>
#include <filesystem>

#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/status_line.h"
#include "cli/wall_clock.h"
#include "datalog/csv.h"
#include "datalog/readings.h"

namespace {

// The first line that differs (from 1), or none when the lines are alike.
std::optional<std::size_t> first_difference(const std::vector<std::string>& received,
                                            const std::vector<std::string>& stored) {
  for (std::size_t line = 0; line < received.size() || line < stored.size(); ++line) {
    if (line >= received.size() || line >= stored.size() || received[line] != stored[line]) return line + 1;
  }
  return std::nullopt;
}

std::string lines_text(std::size_t lines) { return std::to_string(lines) + (lines == 1 ? " line" : " lines"); }

// The recovery file's path: in the archive's folder, else in the current one.
std::optional<std::string> writable_recovery_path(const std::string& archive_path, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::u8path(archive_path).parent_path();
  const std::string beside_archive = (folder / std::filesystem::u8path(name)).u8string();
  if (output_path_problem(beside_archive).empty()) return beside_archive;
  if (output_path_problem(name).empty()) return name;
  return std::nullopt;
}

void keep_lines_received(const std::string& archive_path, const DownloadRecord& download, const Streams& streams) {
  if (download.lines.empty()) return;
  const std::string name = recovery_file_name(download.info.instrument, utc_iso_now());
  const std::optional<std::string> path = writable_recovery_path(archive_path, name);
  std::string error = "neither the archive's folder nor the current folder can be written";
  if (path && write_file_whole(*path, csv_text(download.lines), error)) {
    report(streams, "the " + lines_text(download.lines.size()) + " received are in " + *path +
                        ": import them with \"719k archive import\" once the archive can be written");
    return;
  }
  report(streams, "the " + lines_text(download.lines.size()) + " received could not be kept in " +
                      (path ? *path : name) + ": " + error);
}

}  // namespace

std::size_t reading_count(const std::vector<std::string>& log_lines) {
  std::size_t readings = 0;
  for_each_reading(log_lines, [&readings](const Reading&) { return ++readings > 0; });
  return readings;
}

DownloadInfo download_starting_now(const std::string& port) {
  DownloadInfo info;
  info.started_at = utc_iso_now();
  info.finished_at = info.started_at;
  info.port = port;
  info.program = program_and_version();
  info.host_clock = local_time_with_offset_now();
  return info;
}

std::optional<StoredDownload> store_checked(Archive& archive, const std::string& archive_path,
                                            const DownloadRecord& download, const Streams& streams) {
  try {
    if (streams.status) streams.status->phase("storing the download in the archive");
    const StoredDownload stored = archive.store_download(download, readings_of_log(download.lines));
    if (streams.status) streams.status->phase("reading the stored download back");
    const std::optional<std::size_t> differs = first_difference(download.lines, archive.download_lines(stored.id));
    if (!differs) return stored;
    report(streams, "the download stored in the archive " + archive_path + " as download " +
                        std::to_string(stored.id) + " does not read back as received: line " +
                        std::to_string(*differs) + " differs");
  } catch (const ArchiveError& error) {
    report(streams, error.what());
  }
  keep_lines_received(archive_path, download, streams);
  return std::nullopt;
}

std::string recovery_file_name(const std::optional<std::string>& instrument, const std::string& utc_iso) {
  // The instrument's bytes may be anything; a file name takes its letters and digits.
  std::string number;
  for (char character : instrument.value_or("")) {
    if (std::isalnum(static_cast<unsigned char>(character))) number += character;
  }
  std::string time;
  for (char character : utc_iso) {
    if (character != '-' && character != ':') time += character;
  }
  return "719k-recovery-" + (number.empty() ? "" : number + "-") + time + ".csv";
}
