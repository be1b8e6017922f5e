#include "archive/archive.h"

#include <utility>

#include "datalog/csv_reader.h"

namespace {

constexpr std::pair<EventKind, const char*> kEventKindNames[] = {
    {EventKind::config_set, "config_set"},
    {EventKind::clock_set, "clock_set"},
    {EventKind::erase, "erase"},
    {EventKind::collect, "collect"},
};

}  // namespace

const char* event_kind_name(EventKind kind) {
  for (const auto& [known, name] : kEventKindNames) {
    if (known == kind) return name;
  }
  return "";
}

std::optional<EventKind> event_kind_of(const std::string& name) {
  for (const auto& [kind, known] : kEventKindNames) {
    if (name == known) return kind;
  }
  return std::nullopt;
}

ReadingSource readings_of_log(const std::vector<std::string>& lines) {
  return [&lines](const ReadingSink& on_reading) {
    for_each_reading(lines, [&on_reading](const Reading& reading) {
      on_reading(reading);
      return true;
    });
  };
}

ReadingSource readings_of_csv(std::istream& csv, const std::string& file_name) {
  return [&csv, file_name](const ReadingSink& on_reading) {
    const CsvReadResult result = read_csv_readings(csv, [&on_reading](const Reading& reading) {
      on_reading(reading);
      return true;
    });
    if (result.status != CsvReadStatus::read) {
      throw archive_error(ArchiveErrorKind::bad_import, file_name,
                          "line " + std::to_string(result.line_number) + ": " + result.problem);
    }
  };
}
