#pragma once
// The settings as 719k names them: on the command line ("user-id"), in
// text output (the same) and in JSON ("user_id"), in the order the dialog
// shows them; and the assignments of `config set`, checked before anything
// is sent.

#include <optional>
#include <string>
#include <vector>

#include "instrument/settings.h"

struct SettingName {
  Setting setting;
  const char* name;      // command line and text output
  const char* json_key;
};

// In the order of Setting: the dialog's, top to bottom.
const SettingName& setting_name(Setting setting);
std::optional<Setting> setting_named(const std::string& name);

// Reads NAME=VALUE arguments into the values to write. Empty with the
// usage error in `error` when any of them cannot be sent: no assignment, no
// "=", an unknown or read-only name, a name given twice, a value longer than
// the setting takes, a control character (it would end the command on the
// wire), or an access level other than 1, 2 or 3. An empty value is allowed.
std::optional<SettingTexts> parse_setting_assignments(const std::vector<std::string>& assignments,
                                                      std::string& error);
