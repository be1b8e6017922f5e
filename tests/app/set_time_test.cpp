// The Date/Time field and Set Time over the fake dialog: what the field
// shows for each answer, and Set Time's order, status texts and progress
// steps.

#include "app/set_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "instrument/clock.h"
#include "tests/fakes/dialog_fixtures.h"
#include "tests/instrument/clock_records.h"

namespace {

// --- The clock shown and Set Time over the fake dialog --------------------------

class ClockOperation : public ConnectedDialogTest {
 protected:
  // A clock read of a good time, so that the field shows something known.
  void show_a_good_time() {
    model.state.clock = "06/15/08 1200";
    show_instrument_clock(fake_dialog_handle());
    ASSERT_EQ("06/15/08  12:00 PM", fake_dialog().text(IDC_DATETIME));
  }
};

TEST_F(ClockOperation, ReadShowsInstrumentTimeWithoutTouchingTheBars) {
  model.state.clock = "12/31/08 2359";
  show_instrument_clock(fake_dialog_handle());

  EXPECT_EQ("12/31/08  11:59 PM", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ("GET REAL TIME", line.host_writes().at(2));
  EXPECT_TRUE(fake_dialog().progress_calls.empty());
  EXPECT_TRUE(fake_dialog().status_history.empty());
}

TEST_F(ClockOperation, FailedQueryEmptiesTheField) {
  show_a_good_time();
  model.faults.silent = true;
  show_instrument_clock(fake_dialog_handle());

  EXPECT_EQ("", fake_dialog().text(IDC_DATETIME));
}

TEST_F(ClockOperation, ShortOrNonsenseClockTextIsShownAsReceivedNotAsMadeUpTime) {
  struct Case {
    const char* instrument_clock;
    const char* shown;
  };
  const Case cases[] = {
      {"", ""},
      {"03/03/08", "03/03/08"},
      {"03/03/08 140", "03/03/08 140"},
      // Complete but no calendar time: shown as received.
      {"13/45/08 2599", "13/45/08 2599"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.instrument_clock);
    show_a_good_time();
    model.state.clock = c.instrument_clock;
    show_instrument_clock(fake_dialog_handle());
    EXPECT_EQ(c.shown, fake_dialog().text(IDC_DATETIME));
  }
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
