#include "cli/archive_output.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "cli/change_records.h"
#include "cli/output.h"
#include "cli/wall_clock.h"

namespace {

using Json = nlohmann::ordered_json;
using Row = std::vector<std::string>;

constexpr const char* kNone = "-";

// Columns padded to their widest cell and two blanks; the last one is not
// padded. Nothing at all for no rows.
std::string table_text(const Row& heading, const std::vector<Row>& rows) {
  if (rows.empty()) return std::string();
  std::vector<std::size_t> widths(heading.size(), 0);
  const auto widen = [&widths](const Row& row) {
    for (std::size_t column = 0; column < row.size(); ++column) {
      widths[column] = std::max(widths[column], row[column].size());
    }
  };
  widen(heading);
  for (const Row& row : rows) widen(row);
  std::string text;
  const auto add_row = [&](const Row& row) {
    for (std::size_t column = 0; column < row.size(); ++column) {
      text += row[column];
      if (column + 1 < row.size()) text += std::string(widths[column] - row[column].size() + 2, ' ');
    }
    text += "\n";
  };
  add_row(heading);
  for (const Row& row : rows) add_row(row);
  return text;
}

std::string local_time_of(const std::string& utc_iso) {
  const std::optional<std::time_t> time = time_of_utc_iso(utc_iso);
  const std::string local = time ? local_time_text(*time) : std::string();
  return local.empty() ? utc_iso : local;
}

std::string or_none(const std::optional<std::string>& text) { return text ? *text : kNone; }

Json json_utf8(const std::optional<std::string>& text) { return text ? Json(*text) : Json(); }

Json json_detail(const std::string& detail_json) {
  Json detail = Json::parse(detail_json, nullptr, false);
  return detail.is_discarded() ? Json(detail_json) : detail;
}

std::string readings_line(const CollectSummary& summary) {
  const std::string received = std::to_string(summary.readings) + " received, ";
  if (!summary.download_id) return received + "not stored";
  return received + std::to_string(summary.new_readings) + " new";
}

const char* yes_no(bool value) { return value ? "yes" : "no"; }

}  // namespace

std::string collect_text(const CollectSummary& summary) {
  std::vector<NamedValue> values;
  if (summary.instrument) values.push_back({"instrument", *summary.instrument});
  if (summary.firmware) values.push_back({"firmware", *summary.firmware});
  if (summary.clock && summary.clock->answered) values.push_back({"clock", clock_shown(*summary.clock)});
  values.push_back({"readings", readings_line(summary)});
  values.push_back({"erased", yes_no(summary.erased)});
  values.push_back({"clock set", yes_no(summary.clock_set)});
  return aligned_lines(values);
}

std::string collect_json(const CollectSummary& summary) {
  const bool clock_read = summary.clock && summary.clock->answered;
  Json json;
  json["instrument"] = json_text(summary.instrument);
  json["firmware"] = json_text(summary.firmware);
  json["clock"] = json_text(clock_read ? std::optional(clock_shown(*summary.clock)) : std::nullopt);
  json["clock_iso"] = json_text(clock_read ? clock_iso(*summary.clock) : std::nullopt);
  json["download_id"] = summary.download_id ? Json(*summary.download_id) : Json();
  json["lines"] = summary.lines;
  json["readings"] = summary.readings;
  json["new_readings"] = summary.new_readings;
  json["complete"] = summary.complete;
  json["erased"] = summary.erased;
  json["clock_set"] = summary.clock_set;
  return json_document(json);
}

std::string downloads_text(const std::vector<DownloadSummary>& downloads) {
  std::vector<Row> rows;
  for (const DownloadSummary& download : downloads) {
    const DownloadInfo& info = download.info;
    rows.push_back({std::to_string(download.id), local_time_of(info.started_at), info.port ? *info.port : "(import)",
                    or_none(info.instrument), or_none(info.firmware), std::to_string(download.lines),
                    std::to_string(download.readings), std::to_string(download.new_readings),
                    info.complete ? "complete" : "incomplete", download.erased ? "erased" : kNone});
  }
  return table_text({"id", "started", "port", "instrument", "firmware", "lines", "readings", "new", "log", "erased"},
                    rows);
}

std::string downloads_json(const std::vector<DownloadSummary>& downloads) {
  Json json = Json::array();
  for (const DownloadSummary& download : downloads) {
    const DownloadInfo& info = download.info;
    json.push_back({{"id", download.id},
                    {"started_at", info.started_at},
                    {"port", json_utf8(info.port)},
                    {"instrument", json_text(info.instrument)},
                    {"firmware", json_text(info.firmware)},
                    {"lines", download.lines},
                    {"readings", download.readings},
                    {"new_readings", download.new_readings},
                    {"complete", info.complete},
                    {"erased", download.erased}});
  }
  return json_document(json);
}

std::string events_text(const std::vector<ArchivedEvent>& events) {
  std::vector<Row> rows;
  for (const ArchivedEvent& archived : events) {
    const EventRecord& event = archived.event;
    rows.push_back({local_time_of(event.at), event_kind_name(event.kind), or_none(event.port),
                    or_none(event.instrument), change_summary(event)});
  }
  return table_text({"at", "kind", "port", "instrument", "what"}, rows);
}

std::string events_json(const std::vector<ArchivedEvent>& events) {
  Json json = Json::array();
  for (const ArchivedEvent& archived : events) {
    const EventRecord& event = archived.event;
    json.push_back({{"id", archived.id},
                    {"at", event.at},
                    {"port", json_utf8(event.port)},
                    {"instrument", json_text(event.instrument)},
                    {"kind", event_kind_name(event.kind)},
                    {"detail", json_detail(event.detail_json)}});
  }
  return json_document(json);
}

std::string check_text(const ArchiveCheck& check) {
  std::vector<NamedValue> values{{"integrity", check.ok ? "ok" : "damaged"},
                                 {"schema version", std::to_string(check.schema_version)},
                                 {"downloads", std::to_string(check.downloads)},
                                 {"log lines", std::to_string(check.log_lines)},
                                 {"readings", std::to_string(check.readings)},
                                 {"events", std::to_string(check.events)}};
  for (const std::string& problem : check.problems) values.push_back({"problem", problem});
  return aligned_lines(values);
}

std::string check_json(const ArchiveCheck& check) {
  return json_document({{"ok", check.ok},
                        {"problems", check.problems},
                        {"schema_version", check.schema_version},
                        {"downloads", check.downloads},
                        {"log_lines", check.log_lines},
                        {"readings", check.readings},
                        {"events", check.events}});
}

std::string imports_text(const std::vector<ImportedFile>& imports) {
  std::vector<NamedValue> values;
  for (const ImportedFile& import : imports) {
    values.push_back({import.file, std::to_string(import.stored.readings) + " readings, " +
                                       std::to_string(import.stored.new_readings) + " new (download " +
                                       std::to_string(import.stored.id) + ")"});
  }
  return aligned_lines(values);
}

std::string imports_json(const std::vector<ImportedFile>& imports) {
  Json json = Json::array();
  for (const ImportedFile& import : imports) {
    json.push_back({{"file", import.file},
                    {"download_id", import.stored.id},
                    {"readings", import.stored.readings},
                    {"new_readings", import.stored.new_readings}});
  }
  return json_document(json);
}
