#pragma once
// The "Data Log" group's instrument buttons: Download Log and Erase
// Instrument Data.
//
// Download Log empties the log list, downloads the log (one progress step
// per line exchange), and fills the list in one batch with the items of
// datalog/log_list.h. Export Log and Print Log are enabled after every
// download, also after a failed one: the list then holds exactly the lines
// received, and the operator is told that the download did not complete.
//
// While the transfer runs, Download Log's button reads "Cancel"; the
// operation runner (app/operation.h) keeps it enabled and turns a press on
// it, or Escape, into a cancel of the link. A cancelled download shows the
// lines received and acknowledged so far, enables Export Log and Print Log
// for them, leaves the progress bar where it stopped and says "Download
// cancelled"; no box, since the operator asked for it.
//
// Erase Instrument Data asks first (No is the default answer) and only then
// sends "DO RESET LOG", reporting an erase that the instrument did not
// confirm. It leaves the list as it is, and touches neither the status bar
// nor the progress bar.

#include <string>
#include <vector>

#include "app/dialog.h"

inline constexpr const char* kDownloadLogBusyText = "Downloading Data Log...";
inline constexpr int kLogProgressTop = 1000;  // shared by the operations that step once per line
inline constexpr const char* kDownloadLogCaption = "Download Log";
inline constexpr const char* kCancelCaption = "Cancel";
inline constexpr const char* kDownloadCancelledText = "Download cancelled";

void download_log(DialogHandle dialog);
// The lines of the last download, as received, which Export Log writes: the
// program's only copy of the log, empty until the first download.
const std::vector<std::string>& downloaded_log_lines();
void erase_instrument_data(DialogHandle dialog);
