#pragma once
// What the archive's commands and collect write on standard output, as pure
// functions of what the archive and the collect returned: aligned text for
// people (tables with a heading line for lists) or JSON for scripts.
//
// Times that the archive keeps in UTC are shown to people in the computer's
// local time and given to scripts as stored. Text output writes the
// instrument's bytes as they came, JSON as Latin-1 characters.

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "cli/collect.h"

std::string collect_text(const CollectSummary& summary);
std::string collect_json(const CollectSummary& summary);

// Newest first, as the archive gives them.
std::string downloads_text(const std::vector<DownloadSummary>& downloads);
std::string downloads_json(const std::vector<DownloadSummary>& downloads);

// Oldest first, as the archive gives them.
std::string events_text(const std::vector<ArchivedEvent>& events);
std::string events_json(const std::vector<ArchivedEvent>& events);

std::string check_text(const ArchiveCheck& check);
std::string check_json(const ArchiveCheck& check);

struct ImportedFile {
  std::string file;
  StoredDownload stored;
};
std::string imports_text(const std::vector<ImportedFile>& imports);
std::string imports_json(const std::vector<ImportedFile>& imports);
