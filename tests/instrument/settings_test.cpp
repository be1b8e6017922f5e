// The settings as the instrument core reads and writes them: value positions,
// order texts, the access level rule, and the reads and writes against the
// instrument model with their outcomes.

#include "instrument/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/fakes/instrument_fixtures.h"

namespace {

// --- Values in response lines ---------------------------------------------------

struct ValueCase {
  const char* name;
  Setting setting;
  const char* response;
  const char* value;
};

TEST(SettingValueOf, TakesTheValueFromItsPositionAndNeverReadsPastShortLines) {
  const ValueCase cases[] = {
      {"value from 17", Setting::user_id, "USER ID..........000000417", "000000417"},
      {"23-character user ID line", Setting::user_id, "USER ID..........000417", "000417"},
      {"span from 20", Setting::span_concentration, "SPAN CONCENTRATION..0100", "0100"},
      {"mode shown whole", Setting::operating_mode, "OPERATING MODE...M1", "OPERATING MODE...M1"},
      {"line ends exactly at the position", Setting::user_id, "USER ID..........", ""},
      {"line ends before the position", Setting::user_id, "USER ID", ""},
      {"empty response line", Setting::alarm_setting, "", ""},
      {"span line cut before 20", Setting::span_concentration, "SPAN CONCENTRATION.", ""},
      {"instrument's own err text is a value", Setting::operating_mode, "err", "err"},
      {"blanks and decimal point kept", Setting::response_factor, "RESPONSE FACTOR.. 1.5 0", " 1.5 0"},
  };
  for (const ValueCase& c : cases) EXPECT_EQ(setting_value_of(c.setting, c.response), c.value) << c.name;
}

// --- Order texts --------------------------------------------------------------

struct OrderCase {
  Setting setting;
  const char* value;
  const char* order_text;
};

TEST(SettingOrderText, CutsToCharacterCountAndKeepsTrailingBlankOfEmptyValue) {
  const OrderCase cases[] = {
      {Setting::instrument_number, "1234", "SET INSTRUMENT NUMBER 1234"},
      {Setting::user_id, "", "SET USER ID "},
      {Setting::access_level, "2", "SET ACCESS LEVEL 2"},
      {Setting::access_level, "2xxxxxxxxxxxxxxxxxxyz", "SET ACCESS LEVEL 2xxxxxxxxxxxxxxxxxx"},
      {Setting::instrument_number, "12345678", "SET INSTRUMENT NUMBER 123456"},
      {Setting::user_id, "0000004171", "SET USER ID 000000417"},
      {Setting::location_code, "0000171", "SET LOCATION CODE 000017"},
      {Setting::alarm_setting, "00500", "SET ALARM SETTING 0050"},
      {Setting::span_concentration, "01000", "SET SPAN CONCENTRATION 0100"},
      {Setting::response_factor, "1.005", "SET RESPONSE FACTOR 1.00"},
      {Setting::response_factor, " 1 5", "SET RESPONSE FACTOR  1 5"},
  };
  for (const OrderCase& c : cases) EXPECT_EQ(setting_order_text(c.setting, c.value), c.order_text) << c.value;
  EXPECT_FALSE(setting_rule(Setting::operating_mode).writable) << "no command sets the operating mode";
}

// --- Access level check -------------------------------------------------------

TEST(AccessLevelIsValid, AcceptsWhatStrtolReadsAsOneToThreeOnly) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {"1", true},    {"2", true},      {"3", true},    {"0", false},
      {"4", false},   {"", false},      {" 2", true},   {"+3", true},
      {"-1", false},  {"2x", true},     {"x2", false},  {"\t\n 1", true},
      {"01", true},   {"99999999999999999999", false},  {"-99999999999999999999", false},
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(access_level_is_valid(text), valid) << '"' << text << '"';
}

// --- Reads and writes against the instrument model ---------------------------

using InstrumentSettingsTest = OpenInstrumentTest;

TEST_F(InstrumentSettingsTest, ReadsAllEightInTheInstrumentsOrderAndCallsBackAfterEach) {
  std::vector<Setting> called;
  const SettingTexts values = read_settings(*instrument, [&called](Setting setting, const std::optional<std::string>& value) {
    EXPECT_TRUE(value.has_value());
    called.push_back(setting);
    return true;
  });

  EXPECT_EQ(called, (std::vector<Setting>{Setting::instrument_number, Setting::alarm_setting, Setting::access_level,
                                          Setting::location_code, Setting::operating_mode, Setting::user_id,
                                          Setting::response_factor, Setting::span_concentration}));
  EXPECT_EQ(text_of(values, Setting::instrument_number), "000123");
  EXPECT_EQ(text_of(values, Setting::user_id), "000000042");
  EXPECT_EQ(text_of(values, Setting::operating_mode), "OPERATING MODE...M1");
  EXPECT_EQ(text_of(values, Setting::span_concentration), "0100");
}

TEST_F(InstrumentSettingsTest, ASelectionReadsOnlyItsSettingsStillInTheInstrumentsOrder) {
  SettingSelection selection{};
  selection[static_cast<std::size_t>(Setting::span_concentration)] = true;
  selection[static_cast<std::size_t>(Setting::instrument_number)] = true;
  const SettingTexts values = read_settings(*instrument, nullptr, selection);

  std::vector<std::string> queries;
  for (const std::string& write : line.host_writes()) {
    if (write.rfind("GET ", 0) == 0) queries.push_back(write);
  }
  EXPECT_EQ(queries, (std::vector<std::string>{"GET INSTRUMENT NUMBER", "GET SPAN CONCENTRATION"}));
  EXPECT_EQ(text_of(values, Setting::instrument_number), "000123");
  EXPECT_EQ(text_of(values, Setting::span_concentration), "0100");
  EXPECT_FALSE(text_of(values, Setting::alarm_setting));
}

TEST_F(InstrumentSettingsTest, FailedQueryHasNoValueAndACallbackThatRefusesStopsTheReads) {
  model.faults.silent = true;
  int calls = 0;
  const SettingTexts values = read_settings(*instrument, [&calls](Setting, const std::optional<std::string>& value) {
    EXPECT_FALSE(value.has_value());
    ++calls;
    return false;
  });

  EXPECT_EQ(calls, 1);
  for (Setting setting : kAllSettings) EXPECT_FALSE(text_of(values, setting)) << static_cast<int>(setting);
  for (const std::string& write : line.host_writes()) {
    EXPECT_EQ(write.find("GET ALARM"), std::string::npos) << "nothing after the refused read";
  }
}

TEST_F(InstrumentSettingsTest, WritesOnlyTheGivenSettingsInTheWriteOrderWithTheirOutcomes) {
  SettingTexts values;
  text_of(values, Setting::response_factor) = "1.5";
  text_of(values, Setting::user_id) = "";
  text_of(values, Setting::access_level) = "3";
  text_of(values, Setting::operating_mode) = "M9";  // never written
  model.faults.drop_order_closing = 1;              // the first order goes unconfirmed
  std::vector<Setting> written;

  const SettingOrderOutcomes outcomes =
      write_settings(*instrument, values, [&written](Setting setting, OrderOutcome) {
        written.push_back(setting);
        return true;
      });

  EXPECT_EQ(model.orders_performed,
            (std::vector<std::string>{"SET ACCESS LEVEL 3", "SET USER ID ", "SET RESPONSE FACTOR 1.5"}));
  EXPECT_EQ(written, (std::vector<Setting>{Setting::access_level, Setting::user_id, Setting::response_factor}));
  EXPECT_EQ(outcomes[static_cast<std::size_t>(Setting::access_level)], OrderOutcome::not_confirmed);
  EXPECT_EQ(outcomes[static_cast<std::size_t>(Setting::user_id)], OrderOutcome::confirmed);
  EXPECT_EQ(outcomes[static_cast<std::size_t>(Setting::response_factor)], OrderOutcome::confirmed);
  EXPECT_EQ(outcomes[static_cast<std::size_t>(Setting::operating_mode)], OrderOutcome::not_sent);
  EXPECT_EQ(outcomes[static_cast<std::size_t>(Setting::span_concentration)], OrderOutcome::not_sent);
}

}  // namespace
