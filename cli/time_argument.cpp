#include "cli/time_argument.h"

#include <cctype>

namespace {

constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2099;

// "YYYY-MM-DD HH:MM": a digit everywhere but at these positions.
constexpr const char* kPattern = "dddd-dd-dd dd:dd";

bool matches_pattern(const std::string& text) {
  const std::string pattern = kPattern;
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = text[i];
    if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(c))
                          : !(c == pattern[i] || (pattern[i] == ' ' && c == 'T'))) {
      return false;
    }
  }
  return true;
}

int number_at(const std::string& text, std::size_t position, std::size_t digits) {
  int value = 0;
  for (std::size_t i = position; i < position + digits; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

int days_in_month(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<std::tm> parse_time_argument(const std::string& text, std::string& error) {
  if (!matches_pattern(text)) {
    error = "the time must be given as \"YYYY-MM-DD HH:MM\"";
    return std::nullopt;
  }
  const int year = number_at(text, 0, 4);
  const int month = number_at(text, 5, 2);
  const int day = number_at(text, 8, 2);
  const int hour = number_at(text, 11, 2);
  const int minute = number_at(text, 14, 2);
  if (year < kFirstYear || year > kLastYear) {
    error = "the instrument keeps years 2000 to 2099 only";
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || hour > 23 || minute > 59) {
    error = "\"" + text + "\" is no time of the calendar";
    return std::nullopt;
  }
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  return time;
}
