#include "cli/report_texts.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "cli/time_argument.h"
#include "cli/wall_clock.h"

namespace {

// The writer's key order is kept: it is the order a person wrote them in.
using Json = nlohmann::ordered_json;

constexpr const char* kChangeArrow = " \xE2\x86\x92 ";  // U+2192
constexpr const char* kChangePairs[][2] = {{"old", "new"}, {"before", "after"}};
constexpr const char* kLocalMinuteFormat = "%Y-%m-%dT%H:%M";
// What may stand bare in a shown command; anything else is quoted.
constexpr const char* kBareCharacters = "-_.:/\\+@,=";

std::string value_text(const Json& value);

std::string name_text(std::string key) {
  for (char& c : key) c = c == '_' ? ' ' : c;
  return key;
}

// "old → new" for an object that is a change and nothing else.
std::optional<std::string> change_text(const Json& value) {
  if (!value.is_object() || value.size() != 2) return std::nullopt;
  for (const auto& [from, to] : kChangePairs) {
    if (value.contains(from) && value.contains(to))
      return value_text(value[from]) + kChangeArrow + value_text(value[to]);
  }
  return std::nullopt;
}

std::string value_text(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
  if (value.is_null()) return "none";
  if (const std::optional<std::string> change = change_text(value)) return *change;
  if (!value.is_structured()) return value.dump();
  std::string text;
  for (const auto& item : value.items()) {
    if (!text.empty()) text += ", ";
    if (value.is_object()) text += name_text(item.key()) + (change_text(item.value()) ? " " : ": ");
    text += value_text(item.value());
  }
  return text;
}

// "2026-05-04T08:02:00Z", as 719k writes the archive's times, as local time
// to the minute; none for another text.
std::optional<std::string> local_minute_of_utc(const std::string& utc_iso) {
  const std::optional<std::time_t> time = time_of_utc_iso(utc_iso);
  const std::optional<std::tm> local = time ? local_tm_of(*time) : std::nullopt;
  char text[32];
  if (!local || std::strftime(text, sizeof text, kLocalMinuteFormat, &*local) == 0) return std::nullopt;
  return std::string(text);
}

const char* kind_text(EventKind kind) {
  switch (kind) {
    case EventKind::config_set: return "settings changed";
    case EventKind::clock_set: return "clock set";
    case EventKind::erase: return "log erased";
    case EventKind::collect: break;
  }
  return nullptr;
}

std::string shell_word(const std::string& text) {
  bool bare = !text.empty();
  for (const char c : text)
    bare = bare && (std::isalnum(static_cast<unsigned char>(c)) || std::strchr(kBareCharacters, c));
  if (bare) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  return quoted + '"';
}

}  // namespace

std::optional<ReportEvent> report_event_of(const ArchivedEvent& archived) {
  const EventRecord& event = archived.event;
  const char* kind = kind_text(event.kind);
  if (!kind) return std::nullopt;
  return ReportEvent{local_minute_of_utc(event.at).value_or(event.at), event.instrument.value_or(""), kind,
                     event_detail_text(event.detail_json)};
}

std::string event_detail_text(const std::string& detail_json) {
  const Json detail = Json::parse(detail_json, nullptr, false);
  return detail.is_discarded() ? detail_json : value_text(detail);
}

std::optional<std::string> utc_bound_of_local_minute(const std::string& local_iso, bool last_second) {
  std::string error;
  std::optional<std::tm> local = parse_time_argument(local_iso, error);
  if (!local) return std::nullopt;
  local->tm_sec = last_second ? 59 : 0;
  local->tm_isdst = -1;  // the zone's rule for that date, not today's
  const std::time_t time = std::mktime(&*local);
  if (time == static_cast<std::time_t>(-1)) return std::nullopt;
  return utc_iso_of(time);
}

std::string archive_listing_command(const Invocation& invocation) {
  std::string command = std::string(kProgramName);
  if (!invocation.archive_path.empty()) command += " --archive " + shell_word(invocation.archive_path);
  command += " archive readings";
  const ReadingFilterArguments& filters = invocation.filters;
  const std::pair<const char*, const std::optional<std::string>&> options[] = {{"--instrument", filters.instrument},
                                                                               {"--user", filters.user},
                                                                               {"--location", filters.location},
                                                                               {"--since", filters.since},
                                                                               {"--until", filters.until}};
  for (const auto& [option, value] : options) {
    if (value) command += std::string(" ") + option + ' ' + shell_word(*value);
  }
  return command;
}
