#pragma once
// The settings as 719k names them: on the command line ("user-id"), in
// text output (the same) and in JSON ("user_id"), with what each setting is
// and what it takes, in the order the dialog shows them; and the
// assignments of `config set`, checked before anything is sent.
//
// A value takes what the dialog's field for it takes: digits, up to the
// setting's character limit, nothing at all included; the span and the
// response factor also take the decimal point that the instrument's own
// values carry ("1.00"), and the access level is 1, 2 or 3.

#include <optional>
#include <string>
#include <vector>

#include "instrument/settings.h"

struct SettingName {
  Setting setting;
  const char* name;         // command line and text output
  const char* json_key;     // JSON, and the archive's settings
  const char* description;  // what it is, for help and messages
};

// In the order of Setting: the dialog's, top to bottom.
const SettingName& setting_name(Setting setting);
// By its name or its JSON key.
std::optional<Setting> setting_named(const std::string& name);

// How a setting is named where it could be mistaken for something else:
// "instrument (instrument number)".
std::string setting_named_in_full(Setting setting);

// What a writable setting's value may be: "up to 6 digits".
std::string setting_value_rule(Setting setting);

// Reads NAME=VALUE arguments into the values to write. Empty with the
// usage error in `error` when any of them cannot be sent: no assignment, no
// "=", an unknown or read-only name, a name given twice, or a value that the
// setting does not take.
std::optional<SettingTexts> parse_setting_assignments(const std::vector<std::string>& assignments,
                                                      std::string& error);
