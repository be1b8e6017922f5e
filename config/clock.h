#pragma once
// The instrument's clock: reading it into the instrument time record and the
// Date/Time field, and setting it to the computer's local time.
//
// The clock read queries "GET REAL TIME"; the clock text starts at position
// 17 of the response line as "MM/DD/YY HHMM" and each field is read with
// strtol in base 10, cut in place: strtol stops only at a non-digit, so a
// terminator is written behind a field before it is read (minute first,
// then terminators at 11, 8 and 5) and no field runs into the next. The
// record is shown as "MM/DD/YY  HH:MM AM". Set Time sends the local time to
// the minute as the order "SET REAL TIME MM/DD/YY HHMM" and reads the clock
// back.
//
// Deliberately not done: the values the instrument sends are stored as sent
// (month 13 stays 13); they are neither validated nor normalised. Only the
// display refuses to format a record whose fields lie outside the calendar
// (see format_clock_display). Neither operation reports a failed exchange.

#include <cstddef>
#include <ctime>
#include <string>

#include "app/dialog.h"

// Where the clock text begins in the response line of "GET REAL TIME".
inline constexpr std::size_t kClockTextPosition = 17;
// A response line shorter than this does not hold all five fields.
inline constexpr std::size_t kClockResponseMinLength = 30;
// The work buffers for the clock text and the formatted times, NUL included.
inline constexpr std::size_t kClockBufferSize = 40;

// The clock text as received: the response line from position 17 to its
// end, empty when the line is shorter.
std::string clock_text_of(const char* response_line);

// Reads the five fields of a "GET REAL TIME" response line into the record
// (tm_mon, tm_mday, tm_year, tm_hour, tm_min; nothing else is written).
// False, with the record untouched, when the line is too short to hold them.
bool parse_clock_response(const char* response_line, std::tm& record);

// "MM/DD/YY  HH:MM AM" on the 12-hour clock. Empty when a field lies outside
// its calendar range, which the C runtime is not bound to format.
std::string format_clock_display(const std::tm& record);

// The order that sets the instrument's clock to the given local time:
// "SET REAL TIME " followed by "MM/DD/YY HHMM" (24-hour clock, no seconds).
std::string set_time_order_text(const std::tm& local_time);

// The instrument time record: all zero at start, written only by read_clock.
const std::tm& instrument_time();

// Queries the instrument's clock, stores it in the record and shows it in
// IDC_DATETIME. A failed query empties the field; a line too short for the
// five fields, or fields that are no calendar time, show the clock text as
// received. Only a complete line changes the record. Touches neither the
// status bar nor the progress bar.
void read_clock(DialogHandle dialog);

// The Set Time button: sends the computer's local time, then reads the clock
// back, with the status and progress conventions of app/busy.h.
void set_time(DialogHandle dialog);

// Set Time for a given local time (set_time passes the current one).
void set_time_to(DialogHandle dialog, const std::tm& local_time);
