#include "instrument/settings.h"

#include <cstdlib>
#include <cstring>

#include "link/transaction.h"

namespace {

// Indexed by Setting. The access level order takes 19 characters, what
// strtol looked at when it was checked, although one digit is all the
// dialog lets the operator type.
constexpr SettingRule kSettingRules[kSettingCount] = {
    {Command::get_instrument_number, Command::set_instrument_number, 6},
    {Command::get_user_id, Command::set_user_id, 9},
    {Command::get_location_code, Command::set_location_code, 6},
    {Command::get_access_level, Command::set_access_level, 19},
    {Command::get_operating_mode, std::nullopt, 0},
    {Command::get_alarm_setting, Command::set_alarm_setting, 4},
    {Command::get_span_concentration, Command::set_span_concentration, 4},
    {Command::get_response_factor, Command::set_response_factor, 4},
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

}  // namespace

const SettingRule& setting_rule(Setting setting) { return kSettingRules[static_cast<std::size_t>(setting)]; }

std::string setting_value_of(Setting setting, const char* response_line) {
  const std::size_t length = std::strlen(response_line);
  const std::size_t start = static_cast<std::size_t>(value_position(setting_rule(setting).query));
  return start < length ? std::string(response_line + start, length - start) : std::string();
}

std::string setting_order_text(Setting setting, const std::string& value) {
  const SettingRule& rule = setting_rule(setting);
  return std::string(command_text(*rule.order)) + value.substr(0, rule.sent_chars);
}

bool access_level_is_valid(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value >= 1 && value <= 3;
}

SettingTexts read_settings(const SettingReadCallback& on_read) {
  SettingTexts values;
  for (Setting setting : kReadOrder) {
    const char* response = query(command_text(setting_rule(setting).query));
    if (!transaction_failed(response)) text_of(values, setting) = setting_value_of(setting, response);
    if (on_read && !on_read(setting, text_of(values, setting))) break;
  }
  return values;
}

SettingOrderOutcomes write_settings(const SettingTexts& values, const SettingWrittenCallback& on_written) {
  SettingOrderOutcomes outcomes;
  outcomes.fill(OrderOutcome::not_sent);
  for (Setting setting : kWriteOrder) {
    const std::optional<std::string>& value = text_of(values, setting);
    if (!value) continue;
    const bool confirmed = !transaction_failed(order(setting_order_text(setting, *value).c_str()));
    const OrderOutcome outcome = confirmed ? OrderOutcome::confirmed : OrderOutcome::not_confirmed;
    outcomes[static_cast<std::size_t>(setting)] = outcome;
    if (on_written) on_written(setting, outcome);
  }
  return outcomes;
}
