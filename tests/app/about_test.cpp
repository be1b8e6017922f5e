// The About box.

#include "app/about.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_dialog.h"

namespace {

TEST(About, ShowsOnePlainOwnedBoxAndChangesNothingElse) {
  fake_dialog_reset();
  const FakeDialog before = fake_dialog();
  show_about(fake_dialog_handle());

  ASSERT_EQ(1u, fake_dialog().boxes.size());
  const FakeMessageBox& box = fake_dialog().boxes[0];
  EXPECT_EQ("About TARVELL 719K", box.caption);
  EXPECT_EQ(0u, box.text.rfind("\tVersion 1.0B\r\n\r\n", 0)) << box.text;
  EXPECT_EQ(std::string::npos, box.text.find("\r\n", 17)) << "one publisher line only";
  EXPECT_GT(box.text.size(), 17u);
  EXPECT_EQ(BoxButtons::ok, box.buttons);
  EXPECT_EQ(BoxIcon::none, box.icon);
  EXPECT_EQ(fake_dialog_handle(), box.owner);
  EXPECT_EQ(before.texts, fake_dialog().texts);
  EXPECT_EQ(before.enabled, fake_dialog().enabled);
  EXPECT_TRUE(fake_dialog().progress_calls.empty());
}

}  // namespace
