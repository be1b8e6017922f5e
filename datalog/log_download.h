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
// While the transfer runs, Download Log's button reads "Cancel"; the
// operation runner (app/operation.h) keeps it enabled and turns a press on
// it, or Escape, into a cancel of the link. A cancelled download shows the
// lines received and acknowledged so far, enables Export Log and Print Log
// for them, leaves the progress bar where it stopped and says "Download
// cancelled"; no box, since the operator asked for it.
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
inline constexpr const char* kDownloadLogCaption = "Download Log";
inline constexpr const char* kCancelCaption = "Cancel";
inline constexpr const char* kDownloadCancelledText = "Download cancelled";

// The log list's items for the log line store as it stands: every line before
// the first "EOT" line, unchanged, with kSeparatorItem in front of each line
// that is exactly the banner line.
std::vector<std::string> log_list_items();

void download_log(DialogHandle dialog);
void erase_instrument_data(DialogHandle dialog);
