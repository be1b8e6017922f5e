#pragma once
// Download Log and Erase Instrument Data: the two operations that act on the
// instrument's data log.
//
// Download Log empties the log list, runs the log transfer (one progress
// step per line exchange), and fills the list from the log line store in one
// batch, with the separator item " " above every banner line. Export Log and
// Print Log are enabled after every download, also after a failed one: the
// store then holds exactly the lines received, and the operator is told that
// the download did not complete.
//
// Erase Instrument Data asks first (No is the default answer) and only then
// sends "DO RESET LOG". It leaves the list and the store as they are, and
// touches neither the status bar nor the progress bar.

#include <string>
#include <vector>

#include "app/dialog.h"

inline constexpr const char* kDownloadLogBusyText = "Downloading Data Log...";
inline constexpr int kLogProgressTop = 1000;  // shared by the operations that step once per line
inline constexpr const char* kSeparatorItem = " ";

// The log list's items for the log line store as it stands: every line before
// the first "EOT" line, unchanged, with kSeparatorItem in front of each line
// that is exactly the banner line.
std::vector<std::string> log_list_items();

void download_log(DialogHandle dialog);
void erase_instrument_data(DialogHandle dialog);
