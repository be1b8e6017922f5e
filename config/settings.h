#pragma once
// Instrument settings: Get Config reads the instrument's eight settings into
// the edits of the "Instrument Settings" group, Save Config writes the seven
// changeable ones back from those edits.
//
// The settings live only in the edits. Get Config runs one query per setting
// and shows the response line from the setting's value position; Save Config
// checks the access level with strtol, then runs one order per setting made
// of its SET text and the edit's text cut to the setting's character count.
// The Save Config button's handler runs get_config right after save_config,
// so that the edits show what the instrument now holds.
//
// Neither operation checks the connection (their buttons are enabled only
// while one stands), and Save Config examines no order's result: the read
// back by Get Config shows what the instrument took.

#include <cstddef>
#include <string>

#include "app/dialog.h"
#include "link/commands.h"

// Characters of an edit's text that its order carries. The access level can
// be typed with one digit only, but the order takes what strtol looked at.
inline constexpr std::size_t kInstrumentNumberSentChars = 6;
inline constexpr std::size_t kUserIdSentChars = 9;
inline constexpr std::size_t kLocationCodeSentChars = 6;
inline constexpr std::size_t kAccessLevelSentChars = 19;
inline constexpr std::size_t kAlarmSettingSentChars = 4;
inline constexpr std::size_t kSpanConcentrationSentChars = 4;
inline constexpr std::size_t kResponseFactorSentChars = 4;

inline constexpr const char* kGetConfigBusyText = "Downloading Configuration....";
inline constexpr const char* kSaveConfigBusyText = "Uploading Configuration";

// What an edit shows for a query's result: the response line from the value
// position to its end; empty when the query failed or the line ends before
// the position. The operating mode (position 0) shows the failure marker's
// text "err" when its query failed.
std::string setting_value_shown(const char* query_result, int position);

// The order text for a SET command and an edit's text: the SET text (with
// its trailing blank) followed directly by at most sent_chars characters of
// the edit's text.
std::string setting_order_text(Command set_command, const std::string& edit_text, std::size_t sent_chars);

// True when the access level text, converted like strtol in base 10 (leading
// white space and a sign accepted, digits up to the first non-digit, 0 when
// there are none), is 1, 2 or 3.
bool access_level_is_valid(const std::string& text);

// Get Config (IDC_GET_CONFIG): eight queries into their edits, and one
// "Communications Error" box at the end when any of them failed.
void get_config(DialogHandle dialog);

// Save Config (IDC_SAVE_CONFIG): the access level order (or the "Input
// Error" box) and six more orders. Does not run Get Config itself.
void save_config(DialogHandle dialog);
