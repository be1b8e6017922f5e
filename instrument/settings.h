#pragma once
// The instrument's eight settings: reading them all, and writing the seven
// changeable ones.
//
// Each setting is a text. It is read with one query, whose response line
// carries the value from the setting's value position (17, 20 for the span
// concentration, and the whole line for the operating mode), and written
// with one order made of its SET text and the value cut to the setting's
// character count. The reads and the writes each run in a fixed order of the
// instrument's, which is neither the other's nor the order the settings are
// listed in; what goes on the wire must not change.
//
// Nothing here checks a value: the access level rule and any limits on what
// the operator may type belong to the front ends, which also decide what a
// failed query or an unconfirmed order means to the operator.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "instrument/instrument.h"

// In the order the dialog shows them, top to bottom.
enum class Setting {
  instrument_number,
  user_id,
  location_code,
  access_level,
  operating_mode,
  alarm_setting,
  span_concentration,
  response_factor,
};
inline constexpr std::size_t kSettingCount = 8;

inline constexpr Setting kAllSettings[kSettingCount] = {
    Setting::instrument_number, Setting::user_id,        Setting::location_code,      Setting::access_level,
    Setting::operating_mode,    Setting::alarm_setting,  Setting::span_concentration, Setting::response_factor,
};

struct SettingRule {
  bool writable;           // false for the operating mode, which no command sets
  std::size_t sent_chars;  // characters of a value that its order carries
};

// What the front ends need to know of how each setting is written.
const SettingRule& setting_rule(Setting setting);

// One text per setting, indexed by Setting; empty where there is none.
using SettingTexts = std::array<std::optional<std::string>, kSettingCount>;

inline std::optional<std::string>& text_of(SettingTexts& texts, Setting setting) {
  return texts[static_cast<std::size_t>(setting)];
}
inline const std::optional<std::string>& text_of(const SettingTexts& texts, Setting setting) {
  return texts[static_cast<std::size_t>(setting)];
}

// The value in a setting's response line: the line from the value position
// to its end, empty when the line ends before it.
std::string setting_value_of(Setting setting, const std::string& response_line);

// The operating mode is read and shown as its whole response line; the mode
// itself stands in it from position 17, where the other settings' values
// stand ("OPERATING MODE...SURVEY" gives "SURVEY"; a shorter line, nothing).
std::string operating_mode_of(const std::string& mode_line);

// The order text for a writable setting and a value: the SET text (with its
// trailing blank) followed directly by at most sent_chars characters of the
// value.
std::string setting_order_text(Setting setting, const std::string& value);

// True when the access level text, converted like strtol in base 10 (leading
// white space and a sign accepted, digits up to the first non-digit, 0 when
// there are none), is 1, 2 or 3.
bool access_level_is_valid(const std::string& text);

// Called after each query with what it read (nothing when the instrument did
// not answer). Returning false stops the reads there.
using SettingReadCallback = std::function<bool(Setting setting, const std::optional<std::string>& value)>;

// Which settings a read asks for, indexed by Setting.
using SettingSelection = std::array<bool, kSettingCount>;
inline constexpr SettingSelection kEverySetting = {true, true, true, true, true, true, true, true};

// Runs the queries of the selected settings in the instrument's read order.
// The values read; a setting whose query failed, or that was not asked for,
// has none.
SettingTexts read_settings(Instrument& instrument, const SettingReadCallback& on_read,
                           const SettingSelection& selection = kEverySetting);

enum class OrderOutcome { not_sent, confirmed, not_confirmed };
using SettingOrderOutcomes = std::array<OrderOutcome, kSettingCount>;

// Called after each order with its outcome. Returning false stops the
// writes there.
using SettingWrittenCallback = std::function<bool(Setting setting, OrderOutcome outcome)>;

// Sends one order for each writable setting that has a value, in the
// instrument's write order whatever the order of the settings. Settings
// without a value, and the operating mode, are not sent.
SettingOrderOutcomes write_settings(Instrument& instrument, const SettingTexts& values,
                                    const SettingWrittenCallback& on_written);
