#pragma once
// The dialog's test fixtures, on tests/fakes/instrument_fixtures.h:
//   DialogTest           the fake main dialog in its start state, the fake
//                        line as the system's COM1, the dialog's clock
//                        running with the line, nothing open;
//   ConnectedDialogTest  the same with the dialog's connection open on COM1,
//                        as after a successful Connect.
// Also the check of a message box's every field, which the dialog's tests
// share.

#include <gtest/gtest.h>

#include <string>

#include "app/dialog_connection.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/instrument_fixtures.h"

class DialogTest : public FakeInstrumentTest {
 protected:
  void SetUp() override {
    close_dialog_connection();
    FakeInstrumentTest::SetUp();
    fake_dialog_reset();
    fake_system_reset();
    fake_system_connect("COM1", line);
    fake_dialog().line_clock_us = [this] { return line.elapsed_us(); };
    dialog_cancel().clear();
  }
  void TearDown() override { close_dialog_connection(); }
};

class ConnectedDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(open_dialog_connection("COM1"));
  }
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
