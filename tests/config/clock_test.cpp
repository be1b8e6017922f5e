// The instrument clock: field cutting of the clock text, both formats, the
// clock read over the fake port and Set Time's sequence.

#include "config/clock.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "link/serial_port.h"
#include "tests/fakes/connected_instrument.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_serial_port.h"
#include "tools/instrument_model.h"

namespace {

// The label the instrument puts before the clock text: 17 characters.
std::string real_time_line(const std::string& clock_text) { return "REAL TIME........" + clock_text; }

std::tm calendar_time(int year, int month, int day, int hour, int minute, int second) {
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
std::tm marked_record() {
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

void expect_same_record(const std::tm& expected, const std::tm& actual) {
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

// --- The clock read and Set Time over the fake port --------------------------

class ClockOperation : public ConnectedInstrumentTest {
 protected:
  // A clock read of a good time, so that the record holds something known.
  std::tm record_after_good_read() {
    model.state.clock = "06/15/08 1200";
    read_clock(fake_dialog_handle());
    return instrument_time();
  }
};

TEST_F(ClockOperation, ReadShowsInstrumentTimeWithoutTouchingTheBars) {
  model.state.clock = "12/31/08 2359";
  read_clock(fake_dialog_handle());

  EXPECT_EQ("12/31/08  11:59 PM", fake_dialog().text(IDC_DATETIME));
  const std::tm& record = instrument_time();
  EXPECT_EQ(11, record.tm_mon);
  EXPECT_EQ(31, record.tm_mday);
  EXPECT_EQ(108, record.tm_year);
  EXPECT_EQ(23, record.tm_hour);
  EXPECT_EQ(59, record.tm_min);
  EXPECT_EQ("GET REAL TIME", fake_port_host_writes().at(2));
  EXPECT_TRUE(fake_dialog().progress_calls.empty());
  EXPECT_TRUE(fake_dialog().status_history.empty());
}

TEST_F(ClockOperation, FailedQueryEmptiesFieldAndKeepsRecord) {
  const std::tm before = record_after_good_read();
  model.faults.silent = true;
  read_clock(fake_dialog_handle());

  EXPECT_EQ("", fake_dialog().text(IDC_DATETIME));
  expect_same_record(before, instrument_time());
}

TEST_F(ClockOperation, ShortOrNonsenseClockTextIsShownAsReceivedNotAsMadeUpTime) {
  struct Case {
    const char* instrument_clock;
    const char* shown;
    bool record_kept;
  };
  const Case cases[] = {
      {"", "", true},
      {"03/03/08", "03/03/08", true},
      {"03/03/08 140", "03/03/08 140", true},
      // Complete but no calendar time: stored as sent, shown as received.
      {"13/45/08 2599", "13/45/08 2599", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.instrument_clock);
    const std::tm before = record_after_good_read();
    model.state.clock = c.instrument_clock;
    read_clock(fake_dialog_handle());
    EXPECT_EQ(c.shown, fake_dialog().text(IDC_DATETIME));
    if (c.record_kept) expect_same_record(before, instrument_time());
  }
  EXPECT_EQ(12, instrument_time().tm_mon);
  EXPECT_EQ(45, instrument_time().tm_mday);
  EXPECT_EQ(25, instrument_time().tm_hour);
  EXPECT_EQ(99, instrument_time().tm_min);
}

TEST_F(ClockOperation, OverlongResponseIsReadOnlyUpToItsCutEnd) {
  // The instrument sends more than a response line holds; the link cuts it
  // to 38 characters and the fields still come from their positions.
  model.state.clock = "12/31/08 2359 and a great deal more text";
  read_clock(fake_dialog_handle());
  EXPECT_EQ("12/31/08  11:59 PM", fake_dialog().text(IDC_DATETIME));
}

TEST_F(ClockOperation, SetTimeOrdersTheGivenTimeThenReadsTheClockBack) {
  set_time_to(fake_dialog_handle(), calendar_time(2009, 1, 5, 9, 7, 31));

  EXPECT_EQ(std::vector<std::string>{"SET REAL TIME 01/05/09 0907"}, model.orders_performed);
  EXPECT_EQ("01/05/09  09:07 AM", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ((std::vector<std::string>{"Setting Time...", "Connected"}), fake_dialog().status_history);
  EXPECT_EQ((std::vector<std::string>{"range 0", "range 20", "step 10", "stepit", "stepit", "pos 20"}),
            fake_dialog().progress_calls);
  EXPECT_EQ(20, fake_dialog().progress_position);
}

TEST_F(ClockOperation, SetTimeWithoutAnyAnswerStillEndsConnectedWithFullBar) {
  model.faults.silent = true;
  set_time_to(fake_dialog_handle(), calendar_time(2009, 1, 5, 9, 7, 0));

  EXPECT_TRUE(fake_dialog().boxes.empty());
  EXPECT_EQ("", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ(20, fake_dialog().progress_position);
  EXPECT_EQ(2, fake_dialog().progress_steps);
}

TEST_F(ClockOperation, SetTimeUnacknowledgedOrderStillReadsTheClock) {
  model.faults.drop_order_closing = 1;
  set_time_to(fake_dialog_handle(), calendar_time(2008, 3, 3, 14, 5, 40));

  EXPECT_EQ("03/03/08  02:05 PM", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ(20, fake_dialog().progress_position);
}

TEST_F(ClockOperation, SetTimeSendsTheComputersLocalTime) {
  std::time_t before = std::time(nullptr);
  set_time(fake_dialog_handle());
  std::time_t after = std::time(nullptr);

  ASSERT_EQ(1u, model.orders_performed.size());
  // The minute may turn over during the call.
  EXPECT_TRUE(model.orders_performed[0] == set_time_order_text(*std::localtime(&before)) ||
              model.orders_performed[0] == set_time_order_text(*std::localtime(&after)))
      << model.orders_performed[0];
}

}  // namespace
