#include "config/settings.h"

#include <cstdlib>
#include <cstring>

#include "app/busy.h"
#include "app/control_ids.h"
#include "link/transaction.h"

namespace {

constexpr int kGetConfigTop = 80;
constexpr int kSaveConfigTop = 70;
constexpr int kConfigProgressStep = 10;

struct SettingRead {
  Command query_command;
  int edit_id;
};

// The reads run in this fixed order, which is neither the dialog's top to
// bottom nor the writes' order; what goes on the wire must not change.
constexpr SettingRead kSettingReads[] = {
    {Command::get_instrument_number, IDC_INSTRUMENT_NO},
    {Command::get_alarm_setting, IDC_ALARM},
    {Command::get_access_level, IDC_ACCESS_LEVEL},
    {Command::get_location_code, IDC_LOCATION},
    {Command::get_operating_mode, IDC_OPERATING_MODE},
    {Command::get_user_id, IDC_USER_ID},
    {Command::get_response_factor, IDC_RESPONSE_FACTOR},
    {Command::get_span_concentration, IDC_SPAN},
};

struct SettingWrite {
  Command set_command;
  int edit_id;
  std::size_t sent_chars;
};

// Written after the access level, in this order.
constexpr SettingWrite kSettingWrites[] = {
    {Command::set_instrument_number, IDC_INSTRUMENT_NO, kInstrumentNumberSentChars},
    {Command::set_user_id, IDC_USER_ID, kUserIdSentChars},
    {Command::set_location_code, IDC_LOCATION, kLocationCodeSentChars},
    {Command::set_alarm_setting, IDC_ALARM, kAlarmSettingSentChars},
    {Command::set_span_concentration, IDC_SPAN, kSpanConcentrationSentChars},
    {Command::set_response_factor, IDC_RESPONSE_FACTOR, kResponseFactorSentChars},
};

constexpr MessageBoxSpec kSettingsNotReadBox = {
    "Some settings could not be read from the instrument.", "Communications Error", BoxButtons::ok,
    BoxIcon::warning};

constexpr MessageBoxSpec kAccessLevelBox = {"Access level value must be 1, 2, or 3", "Input Error", BoxButtons::ok,
                                            BoxIcon::error};

}  // namespace

std::string setting_value_shown(const char* query_result, int position) {
  if (transaction_failed(query_result)) {
    // Only the operating mode, shown whole, shows the marker; any other edit
    // would show a tail of "err" or keep a value read earlier, possibly from
    // another instrument, that Save Config could then write back unnoticed.
    return position == 0 ? std::string(query_result) : std::string();
  }
  const std::size_t length = std::strlen(query_result);
  const std::size_t start = static_cast<std::size_t>(position);
  return start < length ? std::string(query_result + start, length - start) : std::string();
}

std::string setting_order_text(Command set_command, const std::string& edit_text, std::size_t sent_chars) {
  return std::string(command_text(set_command)) + edit_text.substr(0, sent_chars);
}

bool access_level_is_valid(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value >= 1 && value <= 3;
}

void get_config(DialogHandle dialog) {
  busy_start(dialog, kGetConfigBusyText, kGetConfigTop, kConfigProgressStep);
  bool any_failed = false;
  for (const SettingRead& read : kSettingReads) {
    const char* result = query(command_text(read.query_command));
    any_failed = any_failed || transaction_failed(result);
    set_control_text(dialog, read.edit_id, setting_value_shown(result, value_position(read.query_command)));
    progress_step(dialog);
  }
  busy_finish(dialog);
  if (any_failed) show_message_box(dialog, kSettingsNotReadBox);
}

void save_config(DialogHandle dialog) {
  busy_start(dialog, kSaveConfigBusyText, kSaveConfigTop, kConfigProgressStep);

  // The order carries the text as taken, not the converted number: " 2" and
  // "+3" go out as typed.
  const std::string access_level = get_control_text(dialog, IDC_ACCESS_LEVEL).substr(0, kAccessLevelSentChars);
  if (access_level_is_valid(access_level)) {
    order(setting_order_text(Command::set_access_level, access_level, kAccessLevelSentChars).c_str());
  } else {
    show_message_box(dialog, kAccessLevelBox);
  }
  progress_step(dialog);

  for (const SettingWrite& write : kSettingWrites) {
    const std::string text = get_control_text(dialog, write.edit_id);
    order(setting_order_text(write.set_command, text, write.sent_chars).c_str());
    progress_step(dialog);
  }
  busy_finish(dialog);
}
