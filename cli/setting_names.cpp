#include "cli/setting_names.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr SettingName kSettingNames[kSettingCount] = {
    {Setting::instrument_number, "instrument", "instrument", "instrument number"},
    {Setting::user_id, "user-id", "user_id", "user ID"},
    {Setting::location_code, "location", "location", "location code"},
    {Setting::access_level, "access-level", "access_level", "access level"},
    {Setting::operating_mode, "operating-mode", "operating_mode", "operating mode"},
    {Setting::alarm_setting, "alarm", "alarm", "alarm setting"},
    {Setting::span_concentration, "span", "span", "span concentration"},
    {Setting::response_factor, "response-factor", "response_factor", "response factor"},
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The instrument shows these two with a decimal point ("1.00").
bool takes_a_decimal_point(Setting setting) {
  return setting == Setting::span_concentration || setting == Setting::response_factor;
}

// What the dialog lets the operator type; the access level is one digit.
std::size_t typed_chars(Setting setting) {
  return setting == Setting::access_level ? 1 : setting_rule(setting).sent_chars;
}

bool value_is_taken(Setting setting, const std::string& value) {
  if (setting == Setting::access_level) return value == "1" || value == "2" || value == "3";
  if (value.size() > typed_chars(setting)) return false;
  const bool point_allowed = takes_a_decimal_point(setting);
  const auto points = std::count(value.begin(), value.end(), '.');
  return std::all_of(value.begin(), value.end(), [](char c) { return is_digit(c) || c == '.'; }) &&
         points <= (point_allowed ? 1 : 0);
}

// ", not \"abc\"", or nothing for a value that a terminal would not show
// as it is.
std::string quoted_if_printable(const std::string& value) {
  const bool printable = std::all_of(value.begin(), value.end(), [](char c) { return c >= ' ' && c <= '~'; });
  return printable ? ", not \"" + value + "\"" : std::string(", not that value");
}

}  // namespace

const SettingName& setting_name(Setting setting) { return kSettingNames[static_cast<std::size_t>(setting)]; }

std::optional<Setting> setting_named(const std::string& name) {
  const auto found = std::find_if(std::begin(kSettingNames), std::end(kSettingNames), [&name](const SettingName& entry) {
    return name == entry.name || name == entry.json_key;
  });
  if (found == std::end(kSettingNames)) return std::nullopt;
  return found->setting;
}

std::string setting_named_in_full(Setting setting) {
  const SettingName& name = setting_name(setting);
  return std::string(name.name) + " (" + name.description + ")";
}

std::string setting_value_rule(Setting setting) {
  if (setting == Setting::access_level) return "1, 2 or 3";
  const std::string limit = "up to " + std::to_string(typed_chars(setting));
  return takes_a_decimal_point(setting) ? limit + " digits and a decimal point" : limit + " digits";
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
    } else if (!value_is_taken(*setting, value)) {
      error = name + " takes " + setting_value_rule(*setting) + quoted_if_printable(value);
    }
    if (!error.empty()) return std::nullopt;
    text_of(values, *setting) = value;
  }
  return values;
}
