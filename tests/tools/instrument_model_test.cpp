// The instrument model on its own: the link's tests trust it to play the
// instrument's side of the protocol, so its conversation and fault knobs are
// checked here byte for byte, without the link.

#include "tools/instrument_model.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);
const std::string kLead(1, kEchoLeadByte);
// The user ID from position 17.
const std::string kUserIdLine = "USER ID" + std::string(10, '.') + "000000042";

// Sends host bytes and returns everything the model replied.
std::string converse(InstrumentModel& model, const std::string& host_bytes) {
  model.receive(host_bytes.data(), host_bytes.size());
  return model.take_output(model.pending_output());
}

// Runs attention, command and confirmation; returns the reply to the confirmation.
std::string confirm_command(InstrumentModel& model, const std::string& command) {
  EXPECT_EQ(converse(model, "?\r"), "!");
  EXPECT_EQ(converse(model, command + "\r"), kLead + command);
  return converse(model, "!\r");
}

InstrumentModel model_with_log(std::vector<std::string> lines) {
  InstrumentModel model;
  model.state = default_instrument_state();
  model.state.log_lines = std::move(lines);
  return model;
}

TEST(InstrumentModel, AnswersAnUndisturbedQueryByteForByte) {
  InstrumentModel model = model_with_log({});
  EXPECT_EQ(converse(model, "?"), "") << "the model must wait for the terminator";
  EXPECT_EQ(converse(model, "\r"), "!");
  EXPECT_EQ(converse(model, "GET USER ID\r"), kLead + "GET USER ID");
  EXPECT_EQ(converse(model, "!\r"), kStx + kUserIdLine + kEtx);
  EXPECT_EQ(converse(model, kUserIdLine + kEtx + "\r"), "!");
  EXPECT_EQ(model.stage, ModelStage::idle);
}

TEST(InstrumentModel, PutsEachValueAtItsCommandsValuePosition) {
  InstrumentModel model = model_with_log({});
  struct Case {
    const char* command;
    std::size_t value_position;
    std::string value;
  };
  const InstrumentSettings& settings = model.state.settings;
  const Case cases[] = {
      {"GET INSTRUMENT NUMBER", 17, settings.instrument_number},
      {"GET USER ID", 17, settings.user_id},
      {"GET LOCATION CODE", 17, settings.location_code},
      {"GET ACCESS LEVEL", 17, settings.access_level},
      {"GET OPERATING MODE", 17, settings.operating_mode},
      {"GET ALARM SETTING", 17, settings.alarm_setting},
      {"GET SPAN CONCENTRATION", 20, settings.span_concentration},
      {"GET RESPONSE FACTOR", 17, settings.response_factor},
      {"GET VERSION NUMBER", 13, model.state.firmware_version},
      {"GET REAL TIME", 17, model.state.clock},
      {"GET LOGGING INTERVAL", 17, model.state.logging_interval},
  };
  for (const Case& c : cases) {
    std::string line = model.response_line(c.command);
    ASSERT_GE(line.size(), c.value_position) << c.command;
    EXPECT_EQ(line.substr(c.value_position), c.value) << c.command;
    EXPECT_NE(line[c.value_position - 1], ' ') << c.command << ": label must reach the value";
    EXPECT_EQ(confirm_command(model, c.command), kStx + line + kEtx) << c.command;
    EXPECT_EQ(converse(model, line + kEtx + "\r"), "!") << c.command;
  }
  EXPECT_EQ(model.response_line("GET REAL TIME"), "REAL TIME........05/23/08 1432");
  EXPECT_EQ(model.response_line("GET VERSION NUMBER"), "VERSION......3.1");
  EXPECT_EQ(model.response_line("GET OPERATING MODE"), "OPERATING MODE...M1");
}

TEST(InstrumentModel, PerformsOrdersWithTheValueExactlyAsSent) {
  InstrumentModel model = model_with_log({"05/23/08 1432   A00017       125    OK"});
  EXPECT_EQ(confirm_command(model, "SET USER ID 12 4"), "!");
  EXPECT_EQ(confirm_command(model, "SET REAL TIME 01/05/09 0907"), "!");
  EXPECT_EQ(confirm_command(model, "SET LOCATION CODE "), "!");
  EXPECT_EQ(confirm_command(model, "DO RESET LOG"), "!");
  EXPECT_EQ(model.state.settings.user_id, "12 4");
  EXPECT_EQ(model.state.clock, "01/05/09 0907");
  EXPECT_EQ(model.state.settings.location_code, "");
  EXPECT_TRUE(model.state.log_lines.empty());
  EXPECT_EQ(model.orders_performed,
            (std::vector<std::string>{"SET USER ID 12 4", "SET REAL TIME 01/05/09 0907", "SET LOCATION CODE ",
                                      "DO RESET LOG"}));
}

TEST(InstrumentModel, NeverSendsMoreThanTheHostsReadsHold) {
  InstrumentModel model = model_with_log({std::string(120, 'L')});
  model.state.settings.user_id = std::string(40, '9');
  EXPECT_EQ(confirm_command(model, "GET USER ID"), kStx + "USER ID.........." + std::string(21, '9') + kEtx);
  EXPECT_EQ(converse(model, "x\r"), "!");
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + std::string(98, 'L') + kEtx);
}

TEST(InstrumentModel, NeverPerformsUnknownOrReadOnlyCommands) {
  InstrumentModel model = model_with_log({});
  EXPECT_EQ(confirm_command(model, "SET OPERATING MODE M2"), "");
  EXPECT_EQ(confirm_command(model, "GET USER IDS"), "");
  EXPECT_EQ(confirm_command(model, "set user id 7"), "");
  EXPECT_EQ(model.state.settings.operating_mode, "M1");
  EXPECT_EQ(model.state.settings.user_id, "000000042");
  EXPECT_TRUE(model.orders_performed.empty());
}

TEST(InstrumentModel, TakesAHandedBackTextAsSuchEvenWhenItLooksLikeAttention) {
  InstrumentModel model = model_with_log({"?", "!"});
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + "?" + kEtx);
  EXPECT_EQ(converse(model, "?\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), kStx + "!" + kEtx);
  EXPECT_EQ(converse(model, "!\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), kStx + "EOT" + kEtx);
}

TEST(InstrumentModel, TransfersTheLogLineByLineThenEot) {
  InstrumentModel model = model_with_log({"  719   VER. 3.1", "05/23/08 1432   A00017       125    OK"});
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + "  719   VER. 3.1" + kEtx);
  EXPECT_EQ(converse(model, "  719   VER. 3.1\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), kStx + "05/23/08 1432   A00017       125    OK" + kEtx);
  EXPECT_EQ(converse(model, "05/23/08 1432   A00017       125    OK\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), kStx + "EOT" + kEtx);
  EXPECT_EQ(model.stage, ModelStage::idle);
}

TEST(InstrumentModel, AttentionAbandonsAnExchangeHalfWay) {
  InstrumentModel model = model_with_log({"line one", "line two"});
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + "line one" + kEtx);
  EXPECT_EQ(converse(model, "line one\r"), "!");
  EXPECT_EQ(converse(model, "?\r"), "!");
  EXPECT_EQ(converse(model, "GET USER ID\r"), kLead + "GET USER ID");
  EXPECT_EQ(converse(model, "?\r"), "!") << "a wrong echo makes the host start again";
  EXPECT_EQ(converse(model, "GET LOG DATA\r"), kLead + "GET LOG DATA");
  EXPECT_EQ(converse(model, "!\r"), kStx + "line one" + kEtx) << "a new transfer starts at the first line";
}

TEST(InstrumentModelFaults, SilentModelAnswersNothing) {
  InstrumentModel model = model_with_log({});
  model.faults.silent = true;
  EXPECT_EQ(converse(model, "?\rGET USER ID\r!\r"), "");
}

TEST(InstrumentModelFaults, IgnoresTheNextAttentionBytes) {
  InstrumentModel model = model_with_log({});
  model.faults.ignore_attention = 2;
  EXPECT_EQ(converse(model, "?\r"), "");
  EXPECT_EQ(converse(model, "GET USER ID\r"), "") << "no command is taken without attention";
  EXPECT_EQ(converse(model, "?\r"), "");
  EXPECT_EQ(converse(model, "?\r"), "!");
}

TEST(InstrumentModelFaults, CorruptsOneCharacterOfTheNextEchoes) {
  InstrumentModel model = model_with_log({});
  model.faults.corrupt_echo = 1;
  EXPECT_EQ(converse(model, "?\r"), "!");
  std::string echo = converse(model, "GET USER ID\r");
  ASSERT_EQ(echo.size(), 12u);
  int differences = 0;
  for (std::size_t i = 1; i < echo.size(); ++i) differences += echo[i] != "GET USER ID"[i - 1];
  EXPECT_EQ(differences, 1);
  EXPECT_EQ(converse(model, "?\rGET USER ID\r"), "!" + kLead + "GET USER ID");
}

TEST(InstrumentModelFaults, OrderClosingFaults) {
  InstrumentModel model = model_with_log({});
  model.faults.nul_before_order_closing = 1;
  model.faults.drop_order_closing = 1;
  EXPECT_EQ(confirm_command(model, "SET ALARM SETTING 0060"), "") << "dropped closing";
  EXPECT_EQ(model.state.settings.alarm_setting, "0060") << "the order is performed all the same";
  EXPECT_EQ(confirm_command(model, "SET ALARM SETTING 0070"), std::string("\0!", 2));
  EXPECT_EQ(confirm_command(model, "SET ALARM SETTING 0080"), "!");
}

TEST(InstrumentModelFaults, RefusedLogLineIsSentAgain) {
  InstrumentModel model = model_with_log({"first", "second"});
  model.faults.refuse_log_line = 2;
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + "first" + kEtx);
  EXPECT_EQ(converse(model, "first\r"), std::string(1, kRefusalByte));
  EXPECT_EQ(converse(model, "!\r"), kStx + "first" + kEtx);
  EXPECT_EQ(converse(model, "first\r"), std::string(1, kRefusalByte));
  EXPECT_EQ(converse(model, "!\r"), kStx + "first" + kEtx);
  EXPECT_EQ(converse(model, "first\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), kStx + "second" + kEtx);
}

TEST(InstrumentModelFaults, FallsSilentAfterAcknowledgedLinesUntilNextAttention) {
  InstrumentModel model = model_with_log({"a", "b", "c"});
  model.faults.silent_after_log_lines = 2;
  EXPECT_EQ(confirm_command(model, "GET LOG DATA"), kStx + "a" + kEtx);
  EXPECT_EQ(converse(model, "a\r!\r"), "!" + kStx + "b" + kEtx);
  EXPECT_EQ(converse(model, "b\r"), "!");
  EXPECT_EQ(converse(model, "!\r"), "");
  EXPECT_EQ(converse(model, "!\r"), "");
  EXPECT_EQ(converse(model, "?\r"), "!");
  EXPECT_EQ(model.faults.silent_after_log_lines, -1);
}

TEST(InstrumentModelFaults, ResponseFramingKnobs) {
  InstrumentModel model = model_with_log({});
  model.faults.response_framing = ResponseFraming::forty_bytes;
  std::string forty = confirm_command(model, "GET USER ID");
  EXPECT_EQ(forty.size(), 40u);
  EXPECT_EQ(forty, kStx + kUserIdLine + std::string(12, ' ') + kEtx);
  EXPECT_EQ(converse(model, forty.substr(1) + "\r"), "!");
  model.faults.response_framing = ResponseFraming::one_byte;
  EXPECT_EQ(confirm_command(model, "GET USER ID"), kStx);
  EXPECT_EQ(converse(model, "\r"), "!");
}

}  // namespace
