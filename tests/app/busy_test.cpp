// The status and progress conventions that every operation follows.

#include "app/busy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "tests/fakes/dialog_fixtures.h"

namespace {

using Strings = std::vector<std::string>;

using Busy = DialogTest;

TEST_F(Busy, StartEmptiesAFullBarBeforeSettingTheNewRange) {
  fake_dialog().progress_position = 1000;
  busy_start(fake_dialog_handle(), "Setting Time...", 20, 10);

  EXPECT_EQ("Setting Time...", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ((Strings{"range 0", "range 20", "step 10"}), fake_dialog().progress_calls);
  EXPECT_EQ(0, fake_dialog().progress_position);
  EXPECT_EQ(20, fake_dialog().progress_top);
}

TEST_F(Busy, FinishFillsTheBarToTheLatestTopAndShowsTheConnectionState) {
  struct Case {
    bool port_open;
    int top;
    const char* status;
  };
  const Case cases[] = {
      {true, 1000, "Connected"},
      {true, 30, "Connected"},
      // Export Log and Print Log can run after Disconnect.
      {false, 1000, "Disconnected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top);
    SetUp();
    if (c.port_open) {
      ASSERT_TRUE(open_dialog_connection("COM1"));
    }
    busy_start(fake_dialog_handle(), "earlier operation", 80, 10);
    busy_start(fake_dialog_handle(), "Working...", c.top, 1);
    progress_step(fake_dialog_handle());
    busy_finish(fake_dialog_handle());

    EXPECT_EQ(c.top, fake_dialog().progress_position);
    EXPECT_EQ("pos " + std::to_string(c.top), fake_dialog().progress_calls.back());
    EXPECT_EQ(c.status, fake_dialog().text(IDC_STATUS));
    TearDown();
  }
}

TEST_F(Busy, BarThatIsFullStaysFullInsteadOfStartingOver) {
  struct Case {
    int top, step, steps;
  };
  // A log of more than 1000 lines; the small ranges fill exactly.
  for (const Case& c : {Case{1000, 1, 1500}, Case{1000, 1, 1000}, Case{80, 10, 8}, Case{30, 10, 2}}) {
    SCOPED_TRACE(c.steps);
    SetUp();
    busy_start(fake_dialog_handle(), "Downloading Data Log...", c.top, c.step);
    int highest = 0;
    for (int i = 0; i < c.steps; ++i) {
      progress_step(fake_dialog_handle());
      EXPECT_GE(fake_dialog().progress_position, highest) << "the bar went back after step " << i + 1;
      highest = fake_dialog().progress_position;
    }
    EXPECT_EQ(std::min(c.top, c.steps * c.step), fake_dialog().progress_position);
  }
}

}  // namespace
