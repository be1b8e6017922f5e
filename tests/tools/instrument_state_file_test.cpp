// The instrument state file: the simulator loads it, end-to-end tests read it
// back to see what the program did to the instrument, so a value must survive
// the round trip exactly (blanks, empty values, empty log lines).

#include "tools/instrument_state_file.h"

#include <gtest/gtest.h>

namespace {

TEST(InstrumentStateFile, RoundTripKeepsBlanksEmptyValuesAndEmptyLogLines) {
  InstrumentState state = default_instrument_state();
  state.settings.user_id = "";
  state.settings.location_code = " 12 ";
  state.settings.response_factor = "a = b";
  state.log_lines = {"  719   VER. 3.1", "", "# not a comment here", "[log]", "trailing blank "};
  InstrumentState read_back;
  std::string error;
  ASSERT_TRUE(parse_instrument_state(format_instrument_state(state), read_back, error)) << error;
  EXPECT_EQ(read_back.settings.user_id, "");
  EXPECT_EQ(read_back.settings.location_code, " 12 ");
  EXPECT_EQ(read_back.settings.response_factor, "a = b");
  EXPECT_EQ(read_back.clock, state.clock);
  EXPECT_EQ(read_back.firmware_version, state.firmware_version);
  EXPECT_EQ(read_back.log_lines, state.log_lines);
}

TEST(InstrumentStateFile, LeftOutNamesKeepDefaultsAndCrLfIsAccepted) {
  InstrumentState state;
  std::string error;
  ASSERT_TRUE(parse_instrument_state("# hand-written\r\nclock = 12/31/08 2359\r\n\r\n[log]\r\nEOT \r\n", state, error))
      << error;
  EXPECT_EQ(state.clock, "12/31/08 2359");
  EXPECT_EQ(state.settings.user_id, default_instrument_state().settings.user_id);
  EXPECT_EQ(state.log_lines, std::vector<std::string>{"EOT "});
}

TEST(InstrumentStateFile, RejectsUnknownNamesAndLinesWithoutValue) {
  const char* bad_texts[] = {"user_idd = 5\n", "just some words\n", "= 5\n"};
  for (const char* text : bad_texts) {
    InstrumentState state;
    std::string error;
    EXPECT_FALSE(parse_instrument_state(text, state, error)) << text;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  }
}

TEST(InstrumentStateFile, SampleInstrumentHoldsARealisticLog) {
  InstrumentState state;
  std::string error;
  ASSERT_TRUE(load_instrument_state(SET719K_SAMPLE_INSTRUMENT, state, error)) << error;
  const std::vector<std::string>& log = state.log_lines;
  ASSERT_GE(log.size(), 30u);
  EXPECT_EQ(log[0], "  719   VER. 3.1");
  EXPECT_EQ(log[1], "                 LOC.        PPM    STATUS ");
  EXPECT_EQ(log[2].substr(0, 2), " I");
  EXPECT_EQ(log[3].substr(0, 2), " U");
  EXPECT_EQ(log[4].substr(0, 2), " O");
  int readings = 0;
  for (const std::string& line : log) {
    if (line.empty() || line[0] == ' ') continue;
    ++readings;
    ASSERT_GE(line.size(), 37u) << line;
    EXPECT_EQ(line[2], '/') << line;
    EXPECT_EQ(line.substr(13, 3), "   ") << line;
    EXPECT_EQ(line.substr(22, 6), "      ") << line;
    EXPECT_EQ(line.substr(32, 4), "    ") << line;
    EXPECT_LE(line.size(), 75u) << line;
  }
  EXPECT_GE(readings, 24);
}

TEST(InstrumentStateFile, SaveReplacesTheFileWhole) {
  std::string path = testing::TempDir() + "instrument_state_file_test.txt";
  InstrumentState state = default_instrument_state();
  state.log_lines = {"one", "two"};
  std::string error;
  ASSERT_TRUE(save_instrument_state(path, state, error)) << error;
  state.log_lines = {};
  state.settings.user_id = "7";
  ASSERT_TRUE(save_instrument_state(path, state, error)) << error;
  InstrumentState read_back;
  ASSERT_TRUE(load_instrument_state(path, read_back, error)) << error;
  EXPECT_TRUE(read_back.log_lines.empty());
  EXPECT_EQ(read_back.settings.user_id, "7");
  EXPECT_FALSE(load_instrument_state(path + ".missing", read_back, error));
}

}  // namespace
