// The Date/Time field and Set Time over the fake dialog: what the field
// shows for each answer, the instrument time record, and Set Time's order,
// status texts and progress steps.

#include "app/set_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "instrument/clock.h"
#include "tests/fakes/connected_instrument.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/instrument/clock_records.h"

namespace {

// --- The clock shown and Set Time over the fake dialog --------------------------

class ClockOperation : public ConnectedInstrumentTest {
 protected:
  // A clock read of a good time, so that the record holds something known.
  std::tm record_after_good_read() {
    model.state.clock = "06/15/08 1200";
    show_instrument_clock(fake_dialog_handle());
    return instrument_time();
  }
};

TEST_F(ClockOperation, ReadShowsInstrumentTimeWithoutTouchingTheBars) {
  model.state.clock = "12/31/08 2359";
  show_instrument_clock(fake_dialog_handle());

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
  show_instrument_clock(fake_dialog_handle());

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
    show_instrument_clock(fake_dialog_handle());
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
  show_instrument_clock(fake_dialog_handle());
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
