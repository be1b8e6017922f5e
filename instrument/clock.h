#pragma once
// The instrument's clock: reading it, and setting it to a given local time.
//
// The clock read queries "GET REAL TIME"; the clock text starts at position
// 17 of the response line as "MM/DD/YY HHMM" and each field is read with
// strtol in base 10, cut in place: strtol stops only at a non-digit, so a
// terminator is written behind a field before it is read (minute first,
// then terminators at 11, 8 and 5) and no field runs into the next. A
// complete line gives the instrument time record, which belongs to the
// caller that read it. Setting the clock sends
// the time to the minute as the order "SET REAL TIME MM/DD/YY HHMM".
//
// Deliberately not done: the values the instrument sends are stored as sent
// (month 13 stays 13; a number beyond an int's range is held at its limit,
// never wrapped round); they are neither validated nor normalised. Only the
// display refuses to format a record whose fields lie outside the calendar
// (see format_clock_display).

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

#include "instrument/instrument.h"

// Where the clock text begins in the response line of "GET REAL TIME".
inline constexpr std::size_t kClockTextPosition = 17;
// A response line shorter than this does not hold all five fields.
inline constexpr std::size_t kClockResponseMinLength = 30;
// The work buffers for the clock text and the formatted times, NUL included.
inline constexpr std::size_t kClockBufferSize = 40;

// The clock text as received: the response line from position 17 to its
// end, empty when the line is shorter.
std::string clock_text_of(const std::string& response_line);

// Reads the five fields of a "GET REAL TIME" response line into the record
// (tm_mon, tm_mday, tm_year, tm_hour, tm_min; nothing else is written).
// False, with the record untouched, when the line is too short to hold them.
bool parse_clock_response(const std::string& response_line, std::tm& record);

// True when every field that the display shows lies in its calendar range.
bool is_calendar_time(const std::tm& record);

// "MM/DD/YY  HH:MM AM" on the 12-hour clock. Empty when a field lies outside
// its calendar range, which the C runtime is not bound to format.
std::string format_clock_display(const std::tm& record);

// The order that sets the instrument's clock to the given local time:
// "SET REAL TIME " followed by "MM/DD/YY HHMM" (24-hour clock, no seconds).
std::string set_time_order_text(const std::tm& local_time);

struct ClockReading {
  bool answered = false;
  std::string clock_text;       // as received, from position 17
  std::optional<std::tm> time;  // the five fields, when the line holds them all
};

// Queries the instrument's clock.
ClockReading read_instrument_clock(Instrument& instrument);

// The clock as the operator sees it: empty when the instrument did not
// answer, "MM/DD/YY  HH:MM AM" for a calendar time, and otherwise the clock
// text as received rather than a made-up time.
std::string clock_shown(const ClockReading& reading);

// Sends the order that sets the clock. True when the instrument confirmed it.
bool set_instrument_clock(Instrument& instrument, const std::tm& local_time);
