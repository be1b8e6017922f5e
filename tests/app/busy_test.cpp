// The status and progress conventions that every operation follows.

#include "app/busy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "link/serial_port.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_serial_port.h"

namespace {

using Strings = std::vector<std::string>;

class Busy : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_dialog_reset();
    fake_port_reset();
  }
  void TearDown() override { serial_port_close(); }
};

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
      ASSERT_TRUE(serial_port_open("COM1"));
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

}  // namespace
