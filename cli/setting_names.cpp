#include "cli/setting_names.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr SettingName kSettingNames[kSettingCount] = {
    {Setting::instrument_number, "instrument", "instrument"},
    {Setting::user_id, "user-id", "user_id"},
    {Setting::location_code, "location", "location"},
    {Setting::access_level, "access-level", "access_level"},
    {Setting::operating_mode, "operating-mode", "operating_mode"},
    {Setting::alarm_setting, "alarm", "alarm"},
    {Setting::span_concentration, "span", "span"},
    {Setting::response_factor, "response-factor", "response_factor"},
};

bool is_control_character(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// Unlike the dialog's edit, which strtol reads, the command line takes the
// access level as the digit itself.
bool is_access_level(const std::string& value) { return value == "1" || value == "2" || value == "3"; }

// Why the value cannot be sent for the setting; empty when it can.
std::string value_error(Setting setting, const std::string& value) {
  const std::string name = setting_name(setting).name;
  if (std::any_of(value.begin(), value.end(), is_control_character)) {
    return name + ": a value cannot hold a control character";
  }
  if (setting == Setting::access_level) {
    return is_access_level(value) ? std::string() : name + " must be 1, 2 or 3";
  }
  const std::size_t limit = setting_rule(setting).sent_chars;
  if (value.size() > limit) return name + " takes at most " + std::to_string(limit) + " characters";
  return std::string();
}

}  // namespace

const SettingName& setting_name(Setting setting) { return kSettingNames[static_cast<std::size_t>(setting)]; }

std::optional<Setting> setting_named(const std::string& name) {
  const auto found = std::find_if(std::begin(kSettingNames), std::end(kSettingNames),
                                  [&name](const SettingName& entry) { return name == entry.name; });
  if (found == std::end(kSettingNames)) return std::nullopt;
  return found->setting;
}

std::optional<SettingTexts> parse_setting_assignments(const std::vector<std::string>& assignments,
                                                      std::string& error) {
  if (assignments.empty()) {
    error = "give at least one NAME=VALUE";
    return std::nullopt;
  }
  SettingTexts values;
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
      error = "\"" + assignment + "\" is not NAME=VALUE";
      return std::nullopt;
    }
    const std::string name = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    const std::optional<Setting> setting = setting_named(name);
    if (!setting) {
      error = "unknown setting \"" + name + "\"";
    } else if (!setting_rule(*setting).writable) {
      error = name + " is read only";
    } else if (text_of(values, *setting)) {
      error = name + " is given twice";
    } else {
      error = value_error(*setting, value);
    }
    if (!error.empty()) return std::nullopt;
    text_of(values, *setting) = value;
  }
  return values;
}
