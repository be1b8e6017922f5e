#pragma once
// Print Log: prints the log list's items, separator items included, as plain
// lines of text on a printer picked in the print dialog, 58 lines a page.
//
// The pages are laid out by a pure function: every line at the left margin,
// the first line of a page 200 units from the top and each next one 100
// units lower while above 6000. The units are 1/600 inch, converted with the
// device's resolution, so a 600-dpi printer gets those numbers as they are
// and any other printer gets the same page. The long column header is
// printed in the short form that the instrument itself prints.
//
// The main dialog is disabled for the length of the job. A document or page
// that cannot be started or ended stops the job, drops it with its device
// context, and is reported in a "Print Error" box.

#include "app/dialog.h"

inline constexpr const char* kPrintDocumentName = "719K Data Log";
inline constexpr const char* kPrintBusyText = "Printing Data Log...";

// Print Log (IDC_PRINT_LOG).
void print_log(DialogHandle dialog);
