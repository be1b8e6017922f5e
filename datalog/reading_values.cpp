#include "datalog/reading_values.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace {

constexpr int kFirstYearOfCentury = 2000;
// The log's date/time text; 'N' stands for a digit.
constexpr char kDateTimePattern[] = "NN/NN/NN NNNN";
constexpr int kMonthsPerYear = 12;
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
// Where the ISO text's two-digit fields (year, month, day, hour, minute)
// come from in the log's text.
constexpr std::pair<std::size_t, std::size_t> kIsoFieldsFromText[] = {{2, 6}, {5, 0}, {8, 3}, {11, 9}, {14, 11}};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  constexpr int kDays[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

// The two digits at text[at], which the caller has checked are digits.
int two_digits(const std::string& text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

bool has_date_time_shape(const std::string& text) {
  constexpr std::string_view pattern = kDateTimePattern;
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (pattern[i] == 'N' ? !is_digit(text[i]) : text[i] != pattern[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> reading_datetime_iso(const std::string& date_time) {
  if (!has_date_time_shape(date_time)) return std::nullopt;
  const int month = two_digits(date_time, 0);
  const int day = two_digits(date_time, 3);
  const int year = kFirstYearOfCentury + two_digits(date_time, 6);
  const int hour = two_digits(date_time, 9);
  const int minute = two_digits(date_time, 11);
  if (month < 1 || month > kMonthsPerYear || day < 1 || day > days_in_month(year, month) || hour >= kHoursPerDay ||
      minute >= kMinutesPerHour) {
    return std::nullopt;
  }
  // Every field but the century as the text has it.
  std::string iso = "20YY-MM-DDTHH:MM";
  for (const auto& [to, from] : kIsoFieldsFromText) {
    iso[to] = date_time[from];
    iso[to + 1] = date_time[from + 1];
  }
  return iso;
}

std::optional<double> reading_ppm_value(const std::string& ppm) {
  const std::size_t first = ppm.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const std::size_t end = ppm.find_last_not_of(' ') + 1;
  // Digits, then possibly a point and more digits: no sign, no exponent, no
  // hexadecimal, none of which the instrument writes.
  std::size_t at = first;
  while (at < end && is_digit(ppm[at])) ++at;
  if (at == first) return std::nullopt;
  if (at < end && ppm[at] == '.') {
    const std::size_t fraction = ++at;
    while (at < end && is_digit(ppm[at])) ++at;
    if (at == fraction) return std::nullopt;
  }
  if (at != end) return std::nullopt;
  double value = 0;
  // from_chars, unlike strtod, ignores the locale's decimal point.
  const auto result = std::from_chars(ppm.data() + first, ppm.data() + end, value);
  if (result.ec != std::errc() || result.ptr != ppm.data() + end) return std::nullopt;
  return value;
}
