#pragma once
// Export Log: writes the downloaded log to a comma-separated file chosen in
// the save dialog, in the form of datalog/csv.h: the header line, then one
// row per reading.
//
// A file that exists is replaced only after "File Already Exists.
// Overwrite?" is answered Yes; No goes back to the save dialog. Each row is
// written with a write of its own as soon as it is composed, with one
// progress step per row; a failed write stops the export and is reported.
// The export never talks to the instrument, so it works after Disconnect.

#include "app/dialog.h"

inline constexpr const char* kExportBusyText = "Exporting File...";

// Export Log (IDC_EXPORT_LOG).
void export_log(DialogHandle dialog);
