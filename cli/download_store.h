#pragma once
// A download kept in the survey archive, as collect and log download --store
// keep it: stored in one transaction with its lines and readings, then its
// lines read back from the archive and compared with those received, line
// by line, before anything else may rely on it (collect's erase).
//
// Nothing received is lost when that fails: the lines go as the CSV export
// (which `archive import` takes) to a recovery file beside the archive, or
// in the current folder when that folder cannot be written, and the message
// names it. A download of no line leaves no file.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "cli/commands.h"

// How many readings the log's lines hold.
std::size_t reading_count(const std::vector<std::string>& log_lines);

// A download beginning now on port: its start, the program and the
// computer's clock; the caller adds what the instrument tells.
DownloadInfo download_starting_now(const std::string& port);

// The stored download, or none with the failure reported and the recovery
// file written.
std::optional<StoredDownload> store_checked(Archive& archive, const std::string& archive_path,
                                            const DownloadRecord& download, const Streams& streams);

// Where the lines of a download that could not be stored go:
// "719k-recovery-000123-20261207T190924Z.csv" in the archive's folder.
std::string recovery_file_name(const std::optional<std::string>& instrument, const std::string& utc_iso);
