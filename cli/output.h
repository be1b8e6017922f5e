#pragma once
// What 719k writes on standard output, as pure functions of what the
// instrument core returned: aligned "name value" lines or JSON documents for
// the readouts, and the downloaded log as CSV, list lines or JSON.
//
// The instrument's texts are bytes; JSON strings are UTF-8, so each byte is
// taken as the character of the same number (Latin-1) and nothing is lost.
// Text output writes the bytes as they came.

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "datalog/readings.h"
#include "instrument/clock.h"
#include "instrument/settings.h"
#include "link/serial_port.h"

struct NamedValue {
  std::string name;
  std::string value;
};

// A JSON document as 719k writes them: indented, a line end after it.
std::string json_document(const nlohmann::ordered_json& json);
// The instrument's bytes as a JSON string; null for none.
nlohmann::ordered_json json_text(const std::optional<std::string>& bytes);

// One line a value, its name padded to the longest name (or to
// min_name_width) and two blanks.
std::string aligned_lines(const std::vector<NamedValue>& values, std::size_t min_name_width = 0);

// The clock as ISO 8601 to the minute ("2008-05-23T16:50"); empty when the
// instrument's clock text holds no calendar time.
std::optional<std::string> clock_iso(const ClockReading& reading);

// What `info` shows: the firmware version, and the clock when it was read.
struct InstrumentInfo {
  std::optional<std::string> firmware;  // none: the version query failed
  std::optional<ClockReading> clock;    // none: not asked
};
std::string info_text(const InstrumentInfo& info);
std::string info_json(const InstrumentInfo& info);

// The clock alone, as `clock set` shows it after the read back: the line
// that info shows.
std::string clock_text_output(const ClockReading& reading);
std::string clock_json(const ClockReading& reading);

// JSON shows the operating mode's whole line and, under this key, the mode.
inline constexpr const char* kOperatingModeValueKey = "operating_mode_value";

// The settings that were read, in the dialog's order; JSON null for the rest.
std::string settings_text(const SettingTexts& values);
std::string settings_json(const SettingTexts& values);

std::string ports_text(const std::vector<SerialPortInfo>& ports);
std::string ports_json(const std::vector<SerialPortInfo>& ports);

// The readings as the JSON array of `log download --format json`, written
// one reading at a time, so that an archive's million readings need no
// document in memory; the bytes are those of json_document.
class ReadingsJsonWriter {
 public:
  explicit ReadingsJsonWriter(std::ostream& out) : out_(out) {}
  void add(const Reading& reading);
  // The closing bracket; "[]" when no reading came.
  void finish();

 private:
  std::ostream& out_;
  bool any_ = false;
};

// The downloaded log in the chosen format: CSV byte for byte as Export Log
// writes it, the log list's items one a line, or an array of readings.
std::string log_output(const std::vector<std::string>& log_lines, LogFormat format);
