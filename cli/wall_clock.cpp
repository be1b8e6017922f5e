#include "cli/wall_clock.h"

#include <cstdio>

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr std::size_t kUtcIsoChars = 20;  // "2026-12-07T19:09:24Z"

struct CivilDate {
  long long year;
  int month;  // 1 to 12
  int day;    // 1 to 31
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back: the
// calendar counted in 400-year eras of 146097 days, each year from March on
// so that the leap day comes last.
long long days_from_civil(CivilDate date) {
  const long long year = date.year - (date.month <= 2 ? 1 : 0);
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long year_of_era = year - era * 400;
  const long long day_of_year = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const long long day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

CivilDate civil_from_days(long long days) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long day_of_era = days - era * 146097;
  const long long year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const long long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const long long month_from_march = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
  const int month = static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
  return CivilDate{year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int days_in_month(long long year, int month) {
  return static_cast<int>(days_from_civil({month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1}) -
                          days_from_civil({year, month, 1}));
}

}  // namespace

std::string utc_iso_of(std::time_t time) {
  const long long seconds = static_cast<long long>(time);
  long long days = seconds / kSecondsPerDay;
  long long of_day = seconds % kSecondsPerDay;
  if (of_day < 0) {
    of_day += kSecondsPerDay;
    --days;
  }
  const CivilDate date = civil_from_days(days);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld:%02lldZ", date.year, date.month, date.day,
                of_day / kSecondsPerHour, of_day % kSecondsPerHour / kSecondsPerMinute, of_day % kSecondsPerMinute);
  return text;
}

std::string utc_iso_now() { return utc_iso_of(std::time(nullptr)); }

std::optional<std::time_t> time_of_utc_iso(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char zone = 0;
  int consumed = 0;
  if (text.size() != kUtcIsoChars ||
      std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &year, &month, &day, &hour, &minute, &second, &zone,
                  &consumed) != 7 ||
      consumed != static_cast<int>(kUtcIsoChars) || zone != 'Z') {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || hour > 23 || minute > 59 ||
      second > 59 || hour < 0 || minute < 0 || second < 0) {
    return std::nullopt;
  }
  const long long days = days_from_civil({year, month, day});
  return static_cast<std::time_t>(days * kSecondsPerDay + hour * kSecondsPerHour + minute * kSecondsPerMinute + second);
}

std::optional<std::tm> local_tm_of(std::time_t time) {
  std::tm local{};
  if (!localtime_r(&time, &local)) return std::nullopt;
  return local;
}

std::string local_time_text(std::time_t time) {
  const std::optional<std::tm> local = local_tm_of(time);
  char text[32] = "";
  if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &*local);
  return text;
}

std::string local_time_with_offset_now() {
  const std::optional<std::tm> local = local_tm_now();
  if (!local) return std::string();
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &*local);
  // strftime's %z is "+0100"; ISO 8601's extended form is "+01:00".
  std::string iso(text, length);
  if (iso.size() >= 5) iso.insert(iso.size() - 2, ":");
  return iso;
}

std::optional<std::tm> local_tm_now() { return local_tm_of(std::time(nullptr)); }
