#pragma once
// The Date/Time field and the Set Time button.
//
// The field shows the instrument's clock as instrument/clock.h reads it:
// "MM/DD/YY  HH:MM AM", the clock text as received when it is no calendar
// time, and nothing when the instrument did not answer. Set Time sends the
// computer's local time to the minute and reads the clock back, with the
// status and progress conventions of app/busy.h. Neither reports a failed
// exchange: the clock read back shows what the instrument holds.

#include <ctime>

#include "app/dialog.h"

// Reads the instrument's clock into IDC_DATETIME. Touches neither the status
// bar nor the progress bar.
void show_instrument_clock(DialogHandle dialog);

// The Set Time button.
void set_time(DialogHandle dialog);

// Set Time for a given local time (set_time passes the current one).
void set_time_to(DialogHandle dialog, const std::tm& local_time);
