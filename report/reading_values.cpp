#include "report/reading_values.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace {

constexpr std::size_t kLogTimeChars = 13;  // "MM/DD/YY HHMM"
constexpr int kFirstYearOfInstrumentCentury = 2000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The two-digit number at position `at`, or -1 when those are not digits.
int two_digits_at(const std::string& text, std::size_t at) {
  if (!is_digit(text[at]) || !is_digit(text[at + 1])) return -1;
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::string> iso_of_log_time(const std::string& log_time) {
  if (log_time.size() != kLogTimeChars || log_time[2] != '/' || log_time[5] != '/' || log_time[8] != ' ') {
    return std::nullopt;
  }
  const int month = two_digits_at(log_time, 0);
  const int day = two_digits_at(log_time, 3);
  const int year_in_century = two_digits_at(log_time, 6);
  const int hour = two_digits_at(log_time, 9);
  const int minute = two_digits_at(log_time, 11);
  if (month < 1 || month > 12 || year_in_century < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
    return std::nullopt;
  }
  const int year = kFirstYearOfInstrumentCentury + year_in_century;
  if (day < 1 || day > days_in_month(year, month)) return std::nullopt;
  // "2008-05-23T14:32": the date and time fields are the log's own digits.
  std::string iso = std::to_string(year) + "-" + log_time.substr(0, 2) + "-" + log_time.substr(3, 2) + "T";
  return iso + log_time.substr(9, 2) + ":" + log_time.substr(11, 2);
}

std::optional<double> ppm_value_of(const std::string& ppm_text) {
  std::size_t begin = 0;
  std::size_t end = ppm_text.size();
  while (begin < end && is_blank(ppm_text[begin])) ++begin;
  while (end > begin && is_blank(ppm_text[end - 1])) --end;
  if (begin == end) return std::nullopt;
  double value = 0;
  const char* last = ppm_text.data() + end;
  const auto [stop, error] = std::from_chars(ppm_text.data() + begin, last, value, std::chars_format::fixed);
  if (error != std::errc() || stop != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

ReportReading report_reading_of(const Reading& reading, std::optional<double> alarm_ppm) {
  ReportReading report_reading{reading.header.instrument_number,
                               reading.header.user_id,
                               reading.header.mode,
                               reading.date_time,
                               reading.location,
                               reading.ppm,
                               reading.status,
                               iso_of_log_time(reading.date_time),
                               ppm_value_of(reading.ppm),
                               alarm_ppm};
  return report_reading;
}
