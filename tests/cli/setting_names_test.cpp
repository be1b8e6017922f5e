// The assignments of `config set`: what may be sent, and every kind of
// value that must be refused before anything goes on the wire.

#include "cli/setting_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SettingAssignments, ValidAssignmentsGiveTheValuesToWriteAndNothingElse) {
  std::string error;
  const std::optional<SettingTexts> values = parse_setting_assignments(
      {"span=0250", "user-id=", "access-level=3", "instrument=123456", "response-factor=1.5", "location=12 4",
       "alarm=0050"},
      error);
  ASSERT_TRUE(values) << error;
  EXPECT_EQ(text_of(*values, Setting::span_concentration), "0250");
  EXPECT_EQ(text_of(*values, Setting::user_id), "") << "an empty value is sent as the bare SET text";
  EXPECT_EQ(text_of(*values, Setting::access_level), "3");
  EXPECT_EQ(text_of(*values, Setting::instrument_number), "123456");
  EXPECT_EQ(text_of(*values, Setting::response_factor), "1.5");
  EXPECT_EQ(text_of(*values, Setting::location_code), "12 4");
  EXPECT_EQ(text_of(*values, Setting::alarm_setting), "0050");
  EXPECT_FALSE(text_of(*values, Setting::operating_mode));
}

TEST(SettingAssignments, EveryValueThatCannotBeSentIsRefusedWithItsReason) {
  struct Case {
    std::vector<std::string> assignments;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "at least one"},
      {{"span"}, "not NAME=VALUE"},
      {{"colour=red"}, "unknown setting \"colour\""},
      {{"User-Id=1"}, "unknown setting"},
      {{"operating-mode=M2"}, "read only"},
      {{"span=1", "span=2"}, "given twice"},
      {{"instrument=1234567"}, "at most 6"},
      {{"user-id=1234567890"}, "at most 9"},
      {{"location=1234567"}, "at most 6"},
      {{"alarm=12345"}, "at most 4"},
      {{"span=12345"}, "at most 4"},
      {{"response-factor=1.005"}, "at most 4"},
      {{"user-id=12\r3"}, "control character"},
      {{"user-id=12\n"}, "control character"},
      {{"alarm=\x7f"}, "control character"},
      {{"access-level=0"}, "1, 2 or 3"},
      {{"access-level=4"}, "1, 2 or 3"},
      {{"access-level="}, "1, 2 or 3"},
      {{"access-level= 2"}, "1, 2 or 3"},
      {{"access-level=2x"}, "1, 2 or 3"},
      {{"span=1", "access-level=9"}, "1, 2 or 3"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(parse_setting_assignments(c.assignments, error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(SettingNames, EveryNameFindsItsSettingAndNothingElseDoes) {
  for (Setting setting : kAllSettings) EXPECT_EQ(setting_named(setting_name(setting).name), setting);
  EXPECT_FALSE(setting_named("user_id")) << "JSON keys are not command-line names";
  EXPECT_FALSE(setting_named(""));
}

}  // namespace
