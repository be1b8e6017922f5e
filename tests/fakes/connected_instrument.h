#pragma once
// A test fixture for operations that talk to the instrument: the fake main
// dialog in its start state, and the instrument model on an open fake port.
// Also the check of a message box's every field, which those tests share.

#include <gtest/gtest.h>

#include <string>

#include "link/serial_port.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_serial_port.h"
#include "tools/instrument_model.h"

class ConnectedInstrumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_dialog_reset();
    fake_port_reset();
    model.state = default_instrument_state();
    fake_port_attach(&model);
    ASSERT_TRUE(serial_port_open("COM1"));
  }
  void TearDown() override {
    serial_port_close();
    fake_port_attach(nullptr);
  }

  InstrumentModel model;
};

// Every box is owned by the main dialog.
inline void expect_box(const FakeMessageBox& box, const std::string& caption, const std::string& text, BoxIcon icon,
                       BoxButtons buttons) {
  EXPECT_EQ(box.caption, caption);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.icon, icon) << caption;
  EXPECT_EQ(box.buttons, buttons) << caption;
  EXPECT_EQ(box.owner, fake_dialog_handle()) << caption;
}
