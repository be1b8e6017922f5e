#include "app/settings_panel.h"

#include <string>

#include "app/busy.h"
#include "app/control_ids.h"
#include "app/dialog_connection.h"
#include "instrument/settings.h"

namespace {

constexpr int kGetConfigTop = 80;
constexpr int kSaveConfigTop = 70;
constexpr int kConfigProgressStep = 10;

// Each setting's edit, indexed by Setting.
constexpr int kSettingEdits[kSettingCount] = {
    IDC_INSTRUMENT_NO, IDC_USER_ID, IDC_LOCATION, IDC_ACCESS_LEVEL,
    IDC_OPERATING_MODE, IDC_ALARM, IDC_SPAN, IDC_RESPONSE_FACTOR,
};

// The operating mode, shown whole, shows "err", the text of a failed
// exchange, when its query failed.
constexpr const char* kUnreadModeText = "err";

constexpr MessageBoxSpec kSettingsNotReadBox = {
    "Some settings could not be read from the instrument.", "Communications Error", BoxButtons::ok,
    BoxIcon::warning};

constexpr MessageBoxSpec kAccessLevelBox = {"Access level value must be 1, 2, or 3", "Input Error", BoxButtons::ok,
                                            BoxIcon::error};

int edit_of(Setting setting) { return kSettingEdits[static_cast<std::size_t>(setting)]; }

// Any other edit is emptied rather than left with a value read earlier,
// possibly from another instrument, that Save Config could then write back
// unnoticed.
std::string shown_value(Setting setting, const std::optional<std::string>& value) {
  if (value) return *value;
  return setting == Setting::operating_mode ? kUnreadModeText : std::string();
}

}  // namespace

void get_config(DialogHandle dialog) {
  busy_start(dialog, kGetConfigBusyText, kGetConfigTop, kConfigProgressStep);
  bool any_failed = false;
  read_settings(dialog_instrument(), [dialog, &any_failed](Setting setting, const std::optional<std::string>& value) {
    any_failed = any_failed || !value;
    set_control_text(dialog, edit_of(setting), shown_value(setting, value));
    progress_step(dialog);
    return true;
  });
  busy_finish(dialog);
  if (any_failed) show_message_box(dialog, kSettingsNotReadBox);
}

void save_config(DialogHandle dialog) {
  busy_start(dialog, kSaveConfigBusyText, kSaveConfigTop, kConfigProgressStep);

  SettingTexts values;
  for (Setting setting : kAllSettings) {
    if (setting_rule(setting).writable) text_of(values, setting) = get_control_text(dialog, edit_of(setting));
  }
  // The order carries the text as taken, not the converted number: " 2" and
  // "+3" go out as typed.
  std::optional<std::string>& access_level = text_of(values, Setting::access_level);
  access_level = access_level->substr(0, setting_rule(Setting::access_level).sent_chars);
  if (!access_level_is_valid(*access_level)) {
    access_level.reset();
    show_message_box(dialog, kAccessLevelBox);
    progress_step(dialog);  // the access level's step, sent or not
  }

  write_settings(dialog_instrument(), values, [dialog](Setting, OrderOutcome) {
    progress_step(dialog);
    return true;
  });
  busy_finish(dialog);
}
