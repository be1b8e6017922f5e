#pragma once
// Broken-down times for the clock tests: a calendar time, a record with
// every member marked, and a comparison of every member.

#include <gtest/gtest.h>

#include <ctime>

inline std::tm calendar_time(int year, int month, int day, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

// A record with every member set, to see which ones a parse writes.
inline std::tm marked_record() {
  std::tm record{};
  record.tm_sec = 41;
  record.tm_min = 42;
  record.tm_hour = 43;
  record.tm_mday = 44;
  record.tm_mon = 45;
  record.tm_year = 46;
  record.tm_wday = 47;
  record.tm_yday = 48;
  record.tm_isdst = 49;
  return record;
}

inline void expect_same_record(const std::tm& expected, const std::tm& actual) {
  EXPECT_EQ(expected.tm_sec, actual.tm_sec);
  EXPECT_EQ(expected.tm_min, actual.tm_min);
  EXPECT_EQ(expected.tm_hour, actual.tm_hour);
  EXPECT_EQ(expected.tm_mday, actual.tm_mday);
  EXPECT_EQ(expected.tm_mon, actual.tm_mon);
  EXPECT_EQ(expected.tm_year, actual.tm_year);
  EXPECT_EQ(expected.tm_wday, actual.tm_wday);
  EXPECT_EQ(expected.tm_yday, actual.tm_yday);
  EXPECT_EQ(expected.tm_isdst, actual.tm_isdst);
}

