// The time of `clock set --time`: the form, the calendar, and the
// instrument's two-digit years.

#include "cli/time_argument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TimeArgument, TakesRealTimesOfTheInstrumentsCentury) {
  struct Case {
    const char* text;
    int year, month, day, hour, minute;
  };
  const Case cases[] = {
      {"2009-01-05 09:07", 2009, 1, 5, 9, 7},   {"2000-01-01 00:00", 2000, 1, 1, 0, 0},
      {"2099-12-31 23:59", 2099, 12, 31, 23, 59}, {"2008-02-29 12:00", 2008, 2, 29, 12, 0},
      {"2000-02-29 12:00", 2000, 2, 29, 12, 0},  {"2026-12-07T13:05", 2026, 12, 7, 13, 5},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<std::tm> time = parse_time_argument(c.text, error);
    ASSERT_TRUE(time) << c.text << ": " << error;
    EXPECT_EQ(time->tm_year, c.year - 1900) << c.text;
    EXPECT_EQ(time->tm_mon, c.month - 1) << c.text;
    EXPECT_EQ(time->tm_mday, c.day) << c.text;
    EXPECT_EQ(time->tm_hour, c.hour) << c.text;
    EXPECT_EQ(time->tm_min, c.minute) << c.text;
    EXPECT_EQ(time->tm_sec, 0) << c.text;
  }
}

TEST(TimeArgument, RefusesOtherFormsImpossibleDatesAndOtherCenturies) {
  const char* const cases[] = {
      "",
      "2009-01-05",
      "2009-01-05 9:07",
      "2009-01-05 09:07:30",
      "09-01-05 09:07",
      "2009/01/05 09:07",
      "2009-01-05  09:07",
      " 2009-01-05 09:07",
      "2009-0a-05 09:07",
      "2009-13-05 09:07",
      "2009-00-05 09:07",
      "2009-04-31 09:07",
      "2009-02-29 09:07",
      "1900-02-29 09:07",
      "2009-01-00 09:07",
      "2009-01-05 24:00",
      "2009-01-05 23:60",
      "1999-12-31 23:59",
      "2100-01-01 00:00",
  };
  for (const char* text : cases) {
    std::string error;
    EXPECT_FALSE(parse_time_argument(text, error)) << '"' << text << '"';
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
