#include "instrument/clock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "instrument/exchanges.h"

// The instrument works with two-digit years; GCC's -Wformat-y2k flags every
// "%y", which here is the wire and display format, not an oversight.
#pragma GCC diagnostic ignored "-Wformat-y2k"

namespace {

// Positions in the clock text "MM/DD/YY HHMM".
constexpr std::size_t kMonthAt = 0;
constexpr std::size_t kDayAt = 3;
constexpr std::size_t kDaySeparatorAt = 5;
constexpr std::size_t kYearAt = 6;
constexpr std::size_t kYearSeparatorAt = 8;
constexpr std::size_t kHourAt = 9;
constexpr std::size_t kMinuteAt = 11;

constexpr int kYearsFrom1900To2000 = 100;

// The minute runs to the end of the text and may hold more digits than an
// int takes. Where long is wider than int (64-bit Linux, not Windows), a
// plain conversion would wrap such a number round, possibly into a calendar
// time the instrument never sent; it is held at int's limit instead, as
// strtol holds one beyond long's, and so stays out of the calendar.
int field_at(const char* clock_text, std::size_t position) {
  constexpr long kLowest = std::numeric_limits<int>::min();
  constexpr long kHighest = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::strtol(clock_text + position, nullptr, 10), kLowest, kHighest));
}

// The formats are literals at the strftime calls so that the compiler
// checks them. "%D" is C99's "%m/%d/%y", spelled out because the program
// links the system's msvcrt.dll, whose strftime predates C99: given "%D" it
// writes nothing and returns 0 (seen under Wine 8).

// "MM/DD/YY  HH:MM AM"
std::string display_text(const std::tm& time) {
  char buffer[kClockBufferSize];
  std::size_t length = std::strftime(buffer, sizeof buffer, "%m/%d/%y  %I:%M %p", &time);
  return std::string(buffer, length);
}

// "MM/DD/YY HHMM"
std::string order_value_text(const std::tm& time) {
  char buffer[kClockBufferSize];
  std::size_t length = std::strftime(buffer, sizeof buffer, "%m/%d/%y %H%M", &time);
  return std::string(buffer, length);
}

}  // namespace

std::string clock_text_of(const std::string& response_line) {
  return response_line.size() > kClockTextPosition ? response_line.substr(kClockTextPosition) : std::string();
}

bool parse_clock_response(const std::string& response_line, std::tm& record) {
  if (response_line.size() < kClockResponseMinLength) return false;

  char clock_text[kClockBufferSize] = {};
  response_line.copy(clock_text, sizeof clock_text - 1, kClockTextPosition);

  // Cut in place, each field read before the terminator that would end it
  // is written: the minute runs to the end of the text, the month up to its
  // first non-digit (at most up to the day's separator).
  record.tm_min = field_at(clock_text, kMinuteAt);
  clock_text[kMinuteAt] = '\0';
  record.tm_hour = field_at(clock_text, kHourAt);
  clock_text[kYearSeparatorAt] = '\0';
  record.tm_year = field_at(clock_text, kYearAt) + kYearsFrom1900To2000;
  clock_text[kDaySeparatorAt] = '\0';
  record.tm_mday = field_at(clock_text, kDayAt);
  record.tm_mon = field_at(clock_text, kMonthAt) - 1;
  return true;
}

bool is_calendar_time(const std::tm& record) {
  return record.tm_mon >= 0 && record.tm_mon <= 11 && record.tm_mday >= 1 && record.tm_mday <= 31 &&
         record.tm_hour >= 0 && record.tm_hour <= 23 && record.tm_min >= 0 && record.tm_min <= 59 &&
         record.tm_year >= 0;
}

std::string format_clock_display(const std::tm& record) {
  // The C standard leaves strftime's output unspecified for fields outside
  // their ranges: msvcrt.dll returns nothing for them, the newer Windows C
  // runtime ends the process. An instrument that sends month 13 must not
  // take the program down.
  return is_calendar_time(record) ? display_text(record) : std::string();
}

std::string set_time_order_text(const std::tm& local_time) {
  return std::string(command_text(Command::set_real_time)) + order_value_text(local_time);
}

ClockReading read_instrument_clock(Instrument& instrument) {
  ClockReading reading;
  const std::optional<std::string> response = query_response(instrument, Command::get_real_time);
  if (!response) return reading;
  reading.answered = true;
  reading.clock_text = clock_text_of(*response);
  std::tm record{};
  if (parse_clock_response(*response, record)) reading.time = record;
  return reading;
}

std::string clock_shown(const ClockReading& reading) {
  if (!reading.answered) return std::string();
  // A line too short for all five fields, or fields that are no calendar
  // time, are shown as received rather than as a made-up time.
  const std::string formatted = reading.time ? format_clock_display(*reading.time) : std::string();
  return formatted.empty() ? reading.clock_text : formatted;
}

bool set_instrument_clock(Instrument& instrument, const std::tm& local_time) {
  return order_confirmed(instrument, set_time_order_text(local_time));
}
