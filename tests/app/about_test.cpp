// The About box.

#include "app/about.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/fakes/fake_dialog.h"

namespace {

TEST(About, ShowsOnePlainOwnedBoxAndChangesNothingElse) {
  fake_dialog_reset();
  const FakeDialog before = fake_dialog();
  show_about(fake_dialog_handle());

  ASSERT_EQ(1u, fake_dialog().boxes.size());
  const FakeMessageBox& box = fake_dialog().boxes[0];
  EXPECT_EQ("About TARVELL 719K", box.caption);
  EXPECT_EQ(BoxButtons::ok, box.buttons);
  EXPECT_EQ(BoxIcon::none, box.icon);
  EXPECT_EQ(fake_dialog_handle(), box.owner);
  EXPECT_EQ(before.texts, fake_dialog().texts);
  EXPECT_EQ(before.enabled, fake_dialog().enabled);
  EXPECT_TRUE(fake_dialog().progress_calls.empty());
}

// The build's version is CMake's project version, the one the version
// resource and 719k --version show: the box must not carry one of its own.
TEST(About, TextIsTabVersionOfTheBuildBlankLineAndOnePublisherLine) {
  const std::string version = SET719K_VERSION;
  EXPECT_TRUE(std::regex_match(version, std::regex(R"([0-9]+\.[0-9]+\.[0-9]+)"))) << version;

  fake_dialog_reset();
  show_about(fake_dialog_handle());
  ASSERT_EQ(1u, fake_dialog().boxes.size());
  const std::string text = fake_dialog().boxes[0].text;
  const std::string heading = "\tVersion " + version + "\r\n\r\n";
  ASSERT_EQ(0u, text.rfind(heading, 0)) << text;
  const std::string publisher = text.substr(heading.size());
  EXPECT_FALSE(publisher.empty()) << text;
  EXPECT_EQ(std::string::npos, publisher.find_first_of("\r\n")) << "one publisher line only: " << text;
}

}  // namespace
