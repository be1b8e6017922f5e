#pragma once
// The SQLite archive's class, for its own source files only: opening and the
// check (sqlite_archive.cpp), the writes (sqlite_writes.cpp) and the reads
// (sqlite_reads.cpp). Everyone else takes it as an Archive from open_archive.

#include <array>
#include <string_view>

#include "archive/archive.h"
#include "archive/sqlite.h"

class SqliteArchive : public Archive {
 public:
  SqliteArchive(const std::string& path, int open_flags, bool may_create);

  StoredDownload store_download(const DownloadRecord& download, const ReadingSource& readings) override;
  std::vector<std::string> download_lines(std::int64_t download_id) override;
  void mark_erased(std::int64_t download_id) override;
  void record_event(const EventRecord& event) override;
  void for_each_reading(const ReadingFilter& filter,
                        const std::function<bool(const ArchivedReading& reading)>& on_reading) override;
  std::vector<DownloadSummary> downloads() override;
  std::vector<ArchivedEvent> events(const EventFilter& filter) override;
  std::optional<bool> last_download_complete(const std::string& instrument) override;
  ArchiveCheck check() override;

 private:
  Database database_;
};

// The eight settings in the order of the archive's statements.
template <typename Settings>
auto setting_fields(Settings& settings) {
  return std::array{&settings.instrument,     &settings.user_id, &settings.location, &settings.access_level,
                    &settings.operating_mode, &settings.alarm,   &settings.span,     &settings.response_factor};
}

// Shared by the writes and the reads: texts from the instrument are stored
// as Latin-1 characters in UTF-8, and compared without blanks at either end.
std::string stored_text(const std::string& bytes);
// The same without a copy where the bytes are ASCII, as nearly all are;
// else written into buffer.
std::string_view stored_text_view(const std::string& bytes, std::string& buffer);
std::optional<std::string> stored_text(const std::optional<std::string>& bytes);
std::optional<std::string> filter_text(const std::optional<std::string>& bytes);
