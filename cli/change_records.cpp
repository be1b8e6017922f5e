#include "cli/change_records.h"

#include <nlohmann/json.hpp>

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/setting_names.h"
#include "cli/wall_clock.h"
#include "datalog/latin1.h"

namespace {

using Json = nlohmann::ordered_json;

Json text_or_null(const std::optional<std::string>& bytes) { return bytes ? Json(utf8_of_latin1(*bytes)) : Json(); }

template <typename Value>
Json value_or_null(const std::optional<Value>& value) {
  return value ? Json(*value) : Json();
}

std::string compact(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The detail's texts and flags as people read them, the instrument's texts
// as its bytes, as all text output has them; "?" where it has none.
std::string shown(const Json& value) {
  if (value.is_string()) return latin1_of_utf8(value.get<std::string>());
  if (value.is_null()) return "?";
  return value.dump();
}

std::string settings_summary(const Json& detail) {
  std::string text;
  for (const auto& [name, change] : detail.at("settings").items()) {
    text += (text.empty() ? "" : ", ") + name + " " + shown(change.at("old")) + " -> " + shown(change.at("new"));
    if (!change.at("confirmed").get<bool>()) text += " (not confirmed)";
  }
  return text;
}

std::string clock_summary(const Json& detail) {
  std::string text = shown(detail.at("before")) + " -> " + shown(detail.at("after"));
  if (!detail.at("confirmed").get<bool>()) text += " (not confirmed)";
  if (detail.at("drift_s").is_number()) text += " (it was off by " + detail.at("drift_s").dump() + " s)";
  return text;
}

std::string erase_summary(const Json& detail) {
  const Json& erased = detail.at("readings_erased");
  std::string text = erased.is_number() ? erased.dump() + " readings erased" : "erased";
  if (detail.at("all_archived").is_boolean()) {
    text += detail.at("all_archived").get<bool>() ? ", every one archived" : ", not every one archived";
  }
  // A collect's erase names the download it stored; log erase says what the archive held.
  if (detail.at("download_id").is_number()) return text + " (download " + detail.at("download_id").dump() + ")";
  const Json& complete = detail.at("last_download_complete");
  if (complete.is_null()) return text + "; no download of it in the archive";
  return text + "; its last download was " + (complete.get<bool>() ? "complete" : "incomplete");
}

std::string collect_summary(const Json& detail) {
  if (detail.at("download_id").is_null()) return "nothing stored";
  std::string text = "download " + detail.at("download_id").dump() + ": " + detail.at("lines").dump() + " lines, " +
                     detail.at("readings").dump() + " readings (" + detail.at("new_readings").dump() + " new), " +
                     (detail.at("complete").get<bool>() ? "complete" : "incomplete");
  if (detail.at("erased").get<bool>()) text += ", erased";
  if (detail.at("clock_set").get<bool>()) text += ", clock set";
  return text;
}

}  // namespace

std::string settings_change_detail(const SettingTexts& named, const SettingTexts& before, const SettingTexts& after,
                                   const SettingOrderOutcomes& outcomes) {
  Json settings = Json::object();
  for (Setting setting : kAllSettings) {
    if (!text_of(named, setting)) continue;
    settings[setting_name(setting).json_key] = {
        {"old", text_or_null(text_of(before, setting))},
        {"new", text_or_null(text_of(after, setting))},
        {"confirmed", outcomes[static_cast<std::size_t>(setting)] == OrderOutcome::confirmed}};
  }
  return compact({{"settings", settings}});
}

std::string clock_change_detail(const ClockReading& before, const ClockReading& after, bool confirmed,
                                std::optional<long long> drift_s) {
  const auto clock_text = [](const ClockReading& reading) {
    return reading.answered ? std::optional(reading.clock_text) : std::nullopt;
  };
  return compact({{"before", text_or_null(clock_text(before))},
                  {"before_iso", text_or_null(clock_iso(before))},
                  {"after", text_or_null(clock_text(after))},
                  {"after_iso", text_or_null(clock_iso(after))},
                  {"confirmed", confirmed},
                  {"drift_s", value_or_null(drift_s)}});
}

std::string erase_detail(const EraseRecord& erase) {
  return compact({{"download_id", value_or_null(erase.download_id)},
                  {"readings_erased", value_or_null(erase.readings_erased)},
                  {"all_archived", value_or_null(erase.all_archived)},
                  {"last_download_complete", value_or_null(erase.last_download_complete)}});
}

std::string collect_detail(const CollectSummary& summary) {
  return compact({{"download_id", value_or_null(summary.download_id)},
                  {"lines", summary.lines},
                  {"readings", summary.readings},
                  {"new_readings", summary.new_readings},
                  {"complete", summary.complete},
                  {"erased", summary.erased},
                  {"clock_set", summary.clock_set}});
}

bool record_change(Archive& archive, const Streams& streams, EventKind kind, const std::string& port,
                   const std::optional<std::string>& instrument, const std::string& detail_json) {
  try {
    archive.record_event(EventRecord{utc_iso_now(), port, instrument, kind, detail_json});
    return true;
  } catch (const ArchiveError& error) {
    report(streams, error.what());
    return false;
  }
}

std::string change_summary(const EventRecord& event) {
  const Json detail = Json::parse(event.detail_json, nullptr, false);
  try {
    switch (event.kind) {
      case EventKind::config_set: return settings_summary(detail);
      case EventKind::clock_set: return clock_summary(detail);
      case EventKind::erase: return erase_summary(detail);
      case EventKind::collect: return collect_summary(detail);
    }
  } catch (const Json::exception&) {
    // Another program's detail, or a damaged one: shown as it is.
  }
  return event.detail_json;
}
