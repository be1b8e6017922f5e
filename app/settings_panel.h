#pragma once
// The "Instrument Settings" group: Get Config reads the instrument's eight
// settings into its edits, Save Config writes the seven changeable ones back
// from them.
//
// The settings live only in the edits. Get Config shows each value as the
// instrument sent it, whatever its length and characters, and tells the
// operator once, at the end, when any setting could not be read (its edit
// is then empty, and the operating mode shows "err"). Save Config checks the
// access level (1, 2 or 3 as strtol reads it; otherwise the "Input Error"
// box, and the access level is not sent) and writes the other six whatever
// they hold. The Save Config button's handler runs get_config right after
// save_config, so that the edits show what the instrument now holds.
//
// Neither operation checks the connection (their buttons are enabled only
// while one stands), and Save Config examines no order's result: the read
// back by Get Config shows what the instrument took.

#include "app/dialog.h"

inline constexpr const char* kGetConfigBusyText = "Downloading Configuration....";
inline constexpr const char* kSaveConfigBusyText = "Uploading Configuration";

// Get Config (IDC_GET_CONFIG).
void get_config(DialogHandle dialog);

// Save Config (IDC_SAVE_CONFIG), without the Get Config that follows it.
void save_config(DialogHandle dialog);
