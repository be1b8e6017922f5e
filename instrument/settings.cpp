#include "instrument/settings.h"

#include <cstdlib>

#include "instrument/exchanges.h"

namespace {

// How the instrument carries each setting: the query that reads it, where
// the value begins in its response line (the characters before it carry a
// label that nobody examines), the order that writes it, and what the front
// ends may know of that order.
struct SettingEntry {
  Command query;
  std::size_t value_position;
  std::optional<Command> order;
  SettingRule rule;
};

// Where the mode stands in the operating mode's line.
constexpr std::size_t kOperatingModePosition = 17;

// Indexed by Setting. The access level order takes 19 characters, what
// strtol looked at when it was checked, although one digit is all the
// dialog lets the operator type.
constexpr SettingEntry kSettingEntries[kSettingCount] = {
    {Command::get_instrument_number, 17, Command::set_instrument_number, {true, 6}},
    {Command::get_user_id, 17, Command::set_user_id, {true, 9}},
    {Command::get_location_code, 17, Command::set_location_code, {true, 6}},
    {Command::get_access_level, 17, Command::set_access_level, {true, 19}},
    {Command::get_operating_mode, 0, std::nullopt, {false, 0}},
    {Command::get_alarm_setting, 17, Command::set_alarm_setting, {true, 4}},
    {Command::get_span_concentration, 20, Command::set_span_concentration, {true, 4}},
    {Command::get_response_factor, 17, Command::set_response_factor, {true, 4}},
};

// The instrument's fixed orders; what goes on the wire must not change.
constexpr Setting kReadOrder[] = {
    Setting::instrument_number, Setting::alarm_setting, Setting::access_level,    Setting::location_code,
    Setting::operating_mode,    Setting::user_id,       Setting::response_factor, Setting::span_concentration,
};
constexpr Setting kWriteOrder[] = {
    Setting::access_level,  Setting::instrument_number,  Setting::user_id,         Setting::location_code,
    Setting::alarm_setting, Setting::span_concentration, Setting::response_factor,
};

const SettingEntry& entry_of(Setting setting) { return kSettingEntries[static_cast<std::size_t>(setting)]; }

}  // namespace

const SettingRule& setting_rule(Setting setting) { return entry_of(setting).rule; }

std::string setting_value_of(Setting setting, const std::string& response_line) {
  const std::size_t start = entry_of(setting).value_position;
  return start < response_line.size() ? response_line.substr(start) : std::string();
}

std::string operating_mode_of(const std::string& mode_line) {
  return mode_line.size() > kOperatingModePosition ? mode_line.substr(kOperatingModePosition) : std::string();
}

std::string setting_order_text(Setting setting, const std::string& value) {
  return std::string(command_text(*entry_of(setting).order)) + value.substr(0, setting_rule(setting).sent_chars);
}

bool access_level_is_valid(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value >= 1 && value <= 3;
}

SettingTexts read_settings(Instrument& instrument, const SettingReadCallback& on_read,
                           const SettingSelection& selection) {
  SettingTexts values;
  for (Setting setting : kReadOrder) {
    if (!selection[static_cast<std::size_t>(setting)]) continue;
    const std::optional<std::string> response = query_response(instrument, entry_of(setting).query);
    if (response) text_of(values, setting) = setting_value_of(setting, *response);
    if (on_read && !on_read(setting, text_of(values, setting))) break;
  }
  return values;
}

SettingOrderOutcomes write_settings(Instrument& instrument, const SettingTexts& values,
                                    const SettingWrittenCallback& on_written) {
  SettingOrderOutcomes outcomes;
  outcomes.fill(OrderOutcome::not_sent);
  for (Setting setting : kWriteOrder) {
    const std::optional<std::string>& value = text_of(values, setting);
    if (!value) continue;
    const bool confirmed = order_confirmed(instrument, setting_order_text(setting, *value));
    const OrderOutcome outcome = confirmed ? OrderOutcome::confirmed : OrderOutcome::not_confirmed;
    outcomes[static_cast<std::size_t>(setting)] = outcome;
    if (on_written && !on_written(setting, outcome)) break;
  }
  return outcomes;
}
