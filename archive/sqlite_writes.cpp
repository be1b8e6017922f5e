// The SQLite archive's writes: a download with its lines and readings in
// one transaction, the erased mark and the events.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/multi_row_insert.h"
#include "archive/reading_inserter.h"
#include "archive/sqlite_archive_class.h"

namespace {

constexpr const char* kInsertDownload = R"sql(
INSERT INTO downloads (started_at, finished_at, port, imported_from, program, instrument, firmware,
  instrument_clock, host_clock, settings, lines, complete, log_epoch)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9,
  CASE WHEN ?10 THEN json_object('instrument', ?11, 'user_id', ?12, 'location', ?13, 'access_level', ?14,
    'operating_mode', ?15, 'alarm', ?16, 'span', ?17, 'response_factor', ?18) END,
  ?19, ?20, ?21)
)sql";

// An erasure is a download marked erased, or an erase event; each one
// starts a new log in the instrument.
constexpr const char* kErasures = R"sql(
SELECT (SELECT count(*) FROM downloads WHERE trim(instrument, ' ') = ?1 AND erased = 1)
     + (SELECT count(*) FROM events WHERE trim(instrument, ' ') = ?1 AND kind = 'erase')
)sql";

constexpr int kLineColumns = 3;

std::optional<std::int64_t> log_epoch(Database& database, const DownloadInfo& info) {
  if (info.imported_from) return std::nullopt;
  if (!info.instrument) return 0;
  Statement erasures(database, kErasures);
  erasures.bind(1, *filter_text(info.instrument));
  return erasures.step() ? erasures.integer(0) : 0;
}

std::int64_t insert_download(Database& database, const DownloadRecord& download,
                             std::optional<std::int64_t> epoch) {
  const DownloadInfo& info = download.info;
  Statement insert(database, kInsertDownload);
  insert.bind(1, info.started_at).bind(2, info.finished_at).bind(3, info.port).bind(4, info.imported_from);
  insert.bind(5, info.program).bind(6, stored_text(info.instrument)).bind(7, stored_text(info.firmware));
  insert.bind(8, stored_text(info.instrument_clock)).bind(9, info.host_clock);
  if (const auto& settings = info.settings) {
    insert.bind(10, std::int64_t{1});
    int index = 11;
    for (const std::string* value : setting_fields(*settings)) insert.bind(index++, stored_text(*value));
  }
  insert.bind(19, static_cast<std::int64_t>(download.lines.size()));
  insert.bind(20, std::int64_t{info.complete ? 1 : 0}).bind(21, epoch);
  insert.step();
  return database.last_insert_id();
}

void insert_lines(Database& database, std::int64_t download_id, const std::vector<std::string>& lines) {
  std::array<std::int64_t, kRowsPerInsert> line_numbers{};
  std::array<std::string_view, kRowsPerInsert> texts;
  std::array<std::string, kRowsPerInsert> converted;
  MultiRowInsert insert(database, "INSERT OR FAIL INTO log_lines (download_id, line_number, text) VALUES", kLineColumns,
                        [&](Statement& statement, int first, std::size_t row) {
                          statement.bind(first, download_id).bind(first + 1, line_numbers[row]);
                          statement.bind_kept(first + 2, texts[row]);
                        });
  std::int64_t line_number = 0;
  for (const std::string& line : lines) {
    const std::size_t row = insert.next_row();
    line_numbers[row] = ++line_number;
    texts[row] = stored_text_view(line, converted[row]);
    insert.add_row();
  }
  insert.flush();
}

}  // namespace

StoredDownload SqliteArchive::store_download(const DownloadRecord& download, const ReadingSource& readings) {
  // The lines and readings refer to the download inserted first in the same
  // transaction; checking each reference costs a lookup a row and a journal
  // a statement. check() still finds any broken one.
  ForeignKeysUnchecked unchecked(database_);
  Transaction transaction(database_);
  const std::optional<std::int64_t> epoch = log_epoch(database_, download.info);
  const std::int64_t download_id = insert_download(database_, download, epoch);
  insert_lines(database_, download_id, download.lines);
  ReadingInserter inserter(database_, download_id, epoch);
  readings([&inserter](const Reading& reading) { inserter.insert(reading); });
  inserter.flush();
  Statement counts(database_, "UPDATE downloads SET readings = ?2, new_readings = ?3 WHERE id = ?1");
  counts.bind(1, download_id).bind(2, inserter.readings()).bind(3, inserter.new_readings());
  counts.step();
  transaction.commit();
  return StoredDownload{download_id, inserter.readings(), inserter.new_readings()};
}

void SqliteArchive::mark_erased(std::int64_t download_id) {
  Statement mark(database_, "UPDATE downloads SET erased = 1 WHERE id = ?1");
  mark.bind(1, download_id);
  mark.step();
  if (database_.changes() == 0) {
    throw archive_error(ArchiveErrorKind::not_found, database_.path(), "download " + std::to_string(download_id));
  }
}

void SqliteArchive::record_event(const EventRecord& event) {
  Statement insert(database_, "INSERT INTO events (at, port, instrument, kind, detail) VALUES (?1, ?2, ?3, ?4, ?5)");
  insert.bind(1, event.at).bind(2, event.port).bind(3, stored_text(event.instrument));
  insert.bind(4, std::string(event_kind_name(event.kind))).bind(5, event.detail_json);
  insert.step();
}
