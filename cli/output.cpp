#include "cli/output.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "cli/setting_names.h"
#include "datalog/csv.h"
#include "datalog/latin1.h"
#include "datalog/log_list.h"
#include "datalog/reading_values.h"
#include "datalog/readings.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kJsonIndent = 2;

// info's names; clock set's line lines up with info's.
constexpr const char* kFirmwareName = "firmware";
constexpr const char* kClockName = "clock";
const std::size_t kInfoNameWidth = std::string(kFirmwareName).size();

std::string dumped(const Json& json) { return json.dump(kJsonIndent, ' ', false, Json::error_handler_t::replace); }

std::optional<std::string> shown_clock(const ClockReading& reading) {
  if (!reading.answered) return std::nullopt;
  return clock_shown(reading);
}

void add_clock(Json& json, const std::optional<ClockReading>& reading) {
  json["clock"] = reading ? json_text(shown_clock(*reading)) : Json();
  json["clock_iso"] = reading ? json_text(clock_iso(*reading)) : Json();
}

std::vector<NamedValue> clock_values(const ClockReading& reading) {
  if (!reading.answered) return {};
  return {{kClockName, clock_shown(reading)}};
}

Json reading_json(const Reading& reading) {
  Json json;
  json["instrument"] = utf8_of_latin1(reading.header.instrument_number);
  json["user_id"] = utf8_of_latin1(reading.header.user_id);
  json["mode"] = utf8_of_latin1(reading.header.mode);
  json["datetime"] = utf8_of_latin1(reading.date_time);
  json["location"] = utf8_of_latin1(reading.location);
  json["ppm"] = utf8_of_latin1(reading.ppm);
  json["status"] = utf8_of_latin1(reading.status);
  const std::optional<std::string> datetime_iso = reading_datetime_iso(reading.date_time);
  const std::optional<double> ppm_value = reading_ppm_value(reading.ppm);
  json["datetime_iso"] = datetime_iso ? Json(*datetime_iso) : Json();
  json["ppm_value"] = ppm_value ? Json(*ppm_value) : Json();
  return json;
}

std::string list_output(const std::vector<std::string>& log_lines) {
  std::string list;
  for (const std::string& item : log_list_items(log_lines)) list += item + "\n";
  return list;
}

std::string readings_json(const std::vector<std::string>& log_lines) {
  std::ostringstream json;
  ReadingsJsonWriter writer(json);
  for_each_reading(log_lines, [&writer](const Reading& reading) {
    writer.add(reading);
    return true;
  });
  writer.finish();
  return json.str();
}

}  // namespace

// Texts that are not the instrument's (a port's description) are UTF-8
// already; a byte that is not becomes U+FFFD rather than an exception.
std::string json_document(const Json& json) { return dumped(json) + "\n"; }

Json json_text(const std::optional<std::string>& bytes) { return bytes ? Json(utf8_of_latin1(*bytes)) : Json(); }

void ReadingsJsonWriter::add(const Reading& reading) {
  // The element as the array's dump indents it: one level deeper, its
  // strings holding no line end.
  std::string element = dumped(reading_json(reading));
  std::string indented = std::string(any_ ? ",\n" : "[\n") + "  ";
  for (char character : element) {
    indented += character;
    if (character == '\n') indented += "  ";
  }
  out_ << indented;
  any_ = true;
}

void ReadingsJsonWriter::finish() { out_ << (any_ ? "\n]\n" : "[]\n"); }

std::string aligned_lines(const std::vector<NamedValue>& values, std::size_t min_name_width) {
  std::size_t width = min_name_width;
  for (const NamedValue& value : values) width = std::max(width, value.name.size());
  std::string lines;
  for (const NamedValue& value : values) {
    lines += value.name + std::string(width - value.name.size() + 2, ' ') + value.value + "\n";
  }
  return lines;
}

std::optional<std::string> clock_iso(const ClockReading& reading) {
  if (!reading.time || !is_calendar_time(*reading.time)) return std::nullopt;
  const std::tm& time = *reading.time;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                time.tm_hour, time.tm_min);
  return std::string(text);
}

std::string info_text(const InstrumentInfo& info) {
  std::vector<NamedValue> values;
  if (info.firmware) values.push_back({kFirmwareName, *info.firmware});
  if (info.clock) {
    for (const NamedValue& value : clock_values(*info.clock)) values.push_back(value);
  }
  return aligned_lines(values, kInfoNameWidth);
}

std::string info_json(const InstrumentInfo& info) {
  Json json;
  json["firmware"] = json_text(info.firmware);
  add_clock(json, info.clock);
  return json_document(json);
}

std::string clock_text_output(const ClockReading& reading) {
  return aligned_lines(clock_values(reading), kInfoNameWidth);
}

std::string clock_json(const ClockReading& reading) {
  Json json;
  add_clock(json, reading);
  return json_document(json);
}

std::string settings_text(const SettingTexts& values) {
  std::vector<NamedValue> lines;
  for (Setting setting : kAllSettings) {
    const std::optional<std::string>& value = text_of(values, setting);
    if (value) lines.push_back({setting_name(setting).name, *value});
  }
  return aligned_lines(lines);
}

std::string settings_json(const SettingTexts& values) {
  Json json;
  for (Setting setting : kAllSettings) {
    const std::optional<std::string>& text = text_of(values, setting);
    json[setting_name(setting).json_key] = json_text(text);
    if (setting == Setting::operating_mode) {
      json[kOperatingModeValueKey] = json_text(text ? std::optional(operating_mode_of(*text)) : std::nullopt);
    }
  }
  return json_document(json);
}

std::string ports_text(const std::vector<SerialPortInfo>& ports) {
  std::string lines;
  for (const SerialPortInfo& port : ports) lines += port.name + "\t" + port.description + "\n";
  return lines;
}

std::string ports_json(const std::vector<SerialPortInfo>& ports) {
  Json json = Json::array();
  for (const SerialPortInfo& port : ports) {
    json.push_back({{"name", port.name}, {"description", port.description}});
  }
  return json_document(json);
}

std::string log_output(const std::vector<std::string>& log_lines, LogFormat format) {
  switch (format) {
    case LogFormat::csv: return csv_text(log_lines);
    case LogFormat::list: return list_output(log_lines);
    case LogFormat::json: return readings_json(log_lines);
  }
  return std::string();
}
