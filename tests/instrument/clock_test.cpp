// The instrument clock: field cutting of the clock text, both formats, and
// the clock read and order against the instrument model.

#include "instrument/clock.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "tests/fakes/instrument_fixtures.h"
#include "tests/instrument/clock_records.h"

namespace {

// The label the instrument puts before the clock text: 17 characters.
std::string real_time_line(const std::string& clock_text) { return "REAL TIME........" + clock_text; }

struct ClockCase {
  const char* clock_text;
  int month_index, day, years_since_1900, hour, minute;
  const char* shown;
};

const ClockCase kClockCases[] = {
    {"03/03/08 1405", 2, 3, 108, 14, 5, "03/03/08  02:05 PM"},
    {"12/31/08 2359", 11, 31, 108, 23, 59, "12/31/08  11:59 PM"},
    {"01/01/09 0000", 0, 1, 109, 0, 0, "01/01/09  12:00 AM"},
    {"06/15/08 1200", 5, 15, 108, 12, 0, "06/15/08  12:00 PM"},
    {"06/15/08 1159", 5, 15, 108, 11, 59, "06/15/08  11:59 AM"},
    {"06/15/08 1300", 5, 15, 108, 13, 0, "06/15/08  01:00 PM"},
    // An hour with a leading blank instead of a zero: strtol skips it.
    {"06/15/08  912", 5, 15, 108, 9, 12, "06/15/08  09:12 AM"},
    // Characters after the minute are ignored.
    {"06/15/08 1200 ", 5, 15, 108, 12, 0, "06/15/08  12:00 PM"},
    {"06/15/08 1200xyz", 5, 15, 108, 12, 0, "06/15/08  12:00 PM"},
    // Any non-digit ends the month; the separators are never looked at.
    {"03-03-08_1405", 2, 3, 108, 14, 5, "03/03/08  02:05 PM"},
    // Digits in the separators after day and year do not run into them:
    // each field is cut before it is read.
    {"03/03908 1405", 2, 3, 108, 14, 5, "03/03/08  02:05 PM"},
    {"03/03/0891405", 2, 3, 108, 14, 5, "03/03/08  02:05 PM"},
};

TEST(ClockResponseParse, CutsEachFieldWhereTheInstrumentPutsIt) {
  for (const ClockCase& c : kClockCases) {
    SCOPED_TRACE(c.clock_text);
    std::tm record = marked_record();
    ASSERT_TRUE(parse_clock_response(real_time_line(c.clock_text).c_str(), record));
    EXPECT_EQ(c.month_index, record.tm_mon);
    EXPECT_EQ(c.day, record.tm_mday);
    EXPECT_EQ(c.years_since_1900, record.tm_year);
    EXPECT_EQ(c.hour, record.tm_hour);
    EXPECT_EQ(c.minute, record.tm_min);
    // Only the five fields are written.
    EXPECT_EQ(41, record.tm_sec);
    EXPECT_EQ(47, record.tm_wday);
    EXPECT_EQ(48, record.tm_yday);
    EXPECT_EQ(49, record.tm_isdst);
    EXPECT_EQ(c.shown, format_clock_display(record));
  }
}

TEST(ClockResponseParse, LineTooShortForTheFieldsLeavesRecordAlone) {
  struct ShortLine {
    std::string line;
    const char* clock_text;
  };
  const ShortLine lines[] = {
      {"", ""},
      {"REAL TIME", ""},
      {real_time_line(""), ""},
      {real_time_line("0"), "0"},
      {real_time_line("03/03/08"), "03/03/08"},
      {real_time_line("03/03/08 140"), "03/03/08 140"},  // 29 characters
  };
  for (const ShortLine& s : lines) {
    SCOPED_TRACE(s.line);
    std::tm record = marked_record();
    EXPECT_FALSE(parse_clock_response(s.line.c_str(), record));
    expect_same_record(marked_record(), record);
    EXPECT_EQ(s.clock_text, clock_text_of(s.line.c_str()));
  }
}

// Found by fuzzing: the minute runs to the end of the clock text, so it can
// hold more digits than an int takes. Where long is wider than int, the
// number used to wrap round into some other int instead of staying out of
// range.
TEST(ClockResponseParse, NumberBeyondAnIntIsHeldAtTheLimitNotWrappedRound) {
  // The fuzzer's line: nines from position 13 on, so the minute is nineteen
  // of them (strtol gives LONG_MAX, which wrapped to -1).
  const std::string line = "RESIVON...3.1" + std::string(34, '9');
  std::tm record = marked_record();
  ASSERT_TRUE(parse_clock_response(line.c_str(), record));
  EXPECT_EQ(std::numeric_limits<int>::max(), record.tm_min);
  EXPECT_EQ(99998, record.tm_mon);
  EXPECT_EQ("", format_clock_display(record));
}

TEST(ClockDisplay, RefusesFieldsOutsideTheCalendarInsteadOfHandingThemToStrftime) {
  struct Field {
    int std::tm::*member;
    int value;
  };
  const Field fields[] = {
      {&std::tm::tm_mon, -1},  {&std::tm::tm_mon, 12},  {&std::tm::tm_mday, 0}, {&std::tm::tm_mday, 32},
      {&std::tm::tm_hour, -1}, {&std::tm::tm_hour, 24}, {&std::tm::tm_min, -1}, {&std::tm::tm_min, 60},
      {&std::tm::tm_year, -1},
  };
  const std::tm good = calendar_time(2008, 12, 31, 23, 59, 0);
  ASSERT_EQ("12/31/08  11:59 PM", format_clock_display(good));
  for (const Field& f : fields) {
    SCOPED_TRACE(f.value);
    std::tm record = good;
    record.*f.member = f.value;
    EXPECT_EQ("", format_clock_display(record));
  }
}

TEST(SetTimeOrderText, SendsLocalTimeToTheMinuteWithLeadingZerosOn24HourClock) {
  struct Case {
    std::tm time;
    const char* order;
  };
  const Case cases[] = {
      {calendar_time(2008, 3, 3, 14, 5, 40), "SET REAL TIME 03/03/08 1405"},
      {calendar_time(2009, 1, 5, 9, 7, 0), "SET REAL TIME 01/05/09 0907"},
      {calendar_time(2000, 1, 1, 0, 0, 0), "SET REAL TIME 01/01/00 0000"},
      {calendar_time(2099, 12, 31, 23, 59, 59), "SET REAL TIME 12/31/99 2359"},
  };
  for (const Case& c : cases) {
    std::string order = set_time_order_text(c.time);
    EXPECT_EQ(c.order, order);
    EXPECT_EQ(27u, order.size());
  }
}

// --- The clock read and the clock order against the instrument model -----------

using InstrumentClockTest = OpenInstrumentTest;

TEST_F(InstrumentClockTest, ReadGivesTheTextTheFieldsAndWhatTheOperatorSees) {
  struct Case {
    const char* instrument_clock;
    bool complete;
    const char* shown;
  };
  const Case cases[] = {
      {"12/31/08 2359", true, "12/31/08  11:59 PM"},
      {"03/03/08 140", false, "03/03/08 140"},
      {"13/45/08 2599", true, "13/45/08 2599"},  // complete, but no calendar time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.instrument_clock);
    model.state.clock = c.instrument_clock;
    const ClockReading reading = read_instrument_clock(*instrument);
    EXPECT_TRUE(reading.answered);
    EXPECT_EQ(reading.clock_text, c.instrument_clock);
    EXPECT_EQ(reading.time.has_value(), c.complete);
    EXPECT_EQ(clock_shown(reading), c.shown);
  }
}

// 4294967301 is 2^32 + 5: wrapped into an int it was minute 5, and the
// operator was shown 12:05, a time the instrument never sent.
TEST_F(InstrumentClockTest, MinuteTooLongForAnIntIsShownAsSentNotAsAMadeUpTime) {
  model.state.clock = "05/23/08 124294967301";  // the response line's 38 characters
  const ClockReading reading = read_instrument_clock(*instrument);
  ASSERT_TRUE(reading.time);
  EXPECT_FALSE(is_calendar_time(*reading.time));
  EXPECT_EQ(clock_shown(reading), "05/23/08 124294967301");
}

TEST_F(InstrumentClockTest, SilentInstrumentGivesNoAnswerAndNothingToShow) {
  model.faults.silent = true;
  const ClockReading reading = read_instrument_clock(*instrument);
  EXPECT_FALSE(reading.answered);
  EXPECT_FALSE(reading.time);
  EXPECT_EQ(clock_shown(reading), "");
}

TEST_F(InstrumentClockTest, SetClockSaysWhetherTheInstrumentConfirmed) {
  EXPECT_TRUE(set_instrument_clock(*instrument, calendar_time(2009, 1, 5, 9, 7, 31)));
  model.faults.drop_order_closing = 1;
  EXPECT_FALSE(set_instrument_clock(*instrument, calendar_time(2009, 1, 5, 9, 8, 0)));
  EXPECT_EQ(model.orders_performed,
            (std::vector<std::string>{"SET REAL TIME 01/05/09 0907", "SET REAL TIME 01/05/09 0908"}));
}

}  // namespace
