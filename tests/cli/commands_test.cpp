// The commands of 719k run in-process against the instrument model behind
// the fake port, for what the end-to-end tests (tests/cli/test_*.py) cannot
// see from outside: the input waiting in the port thrown away at open, and an
// unconfirmed order named while the read back still runs. Built into the
// sanitizer tree too.

#include "cli/commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "tests/fakes/fake_console.h"
#include "tests/fakes/instrument_fixtures.h"

namespace {

using Lines = std::vector<std::string>;
using Json = nlohmann::json;

struct CommandRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Every command line the host sent, not the texts it handed back.
Lines command_lines(const FakeSerialLine& line) {
  Lines commands;
  for (const std::string& write : line.host_writes()) {
    for (const char* verb : {"GET ", "SET ", "DO "}) {
      if (write.rfind(verb, 0) == 0) commands.push_back(write);
    }
  }
  return commands;
}

class CommandTest : public FakeInstrumentTest {
 protected:
  void SetUp() override {
    FakeInstrumentTest::SetUp();
    fake_console_reset();
    fake_system_reset();
    fake_system_connect("COM1", line);
    unsetenv("SET719K_PORT");
  }

  static CommandRun run(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "719k");
    std::ostringstream out, err;
    std::istringstream in;
    CommandRun result;
    const ParsedArguments parsed = parse_arguments(static_cast<int>(arguments.size()), arguments.data(), out, err);
    result.exit_code = parsed.invocation ? run_command(*parsed.invocation, Streams{in, out, err}) : parsed.exit_code;
    result.out = out.str();
    result.err = err.str();
    return result;
  }

};

TEST_F(CommandTest, InfoPrintsFirmwareAndClockAsTheDialogShowsThemWithItsTwoQueriesOnly) {
  const CommandRun text = run({"--port", "COM1", "info"});
  EXPECT_EQ(text.exit_code, kExitDone) << text.err;
  EXPECT_EQ(text.out, "firmware  3.1\nclock     05/23/08  02:32 PM\n");
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(command_lines(line), (Lines{"GET VERSION NUMBER", "GET REAL TIME"}));
  EXPECT_EQ(line.discard_count(), 1) << "input waiting at open is thrown away";
  EXPECT_FALSE(line.port_open());

  model.state.clock = "13/45/08 2599";
  const Json json = Json::parse(run({"info", "--json", "--port", "COM1"}).out);
  EXPECT_EQ(json, Json::parse(R"({"firmware": "3.1", "clock": "13/45/08 2599", "clock_iso": null})"));
  model.state.clock = "12/31/08 2359";
  EXPECT_EQ(Json::parse(run({"info", "--json", "--port", "COM1"}).out)["clock_iso"], "2008-12-31T23:59");
}

TEST_F(CommandTest, UnconfirmedOrderIsNamedAndExitsOneAfterTheReadBack) {
  model.faults.drop_order_closing = 1;
  const CommandRun result = run({"--port", "COM1", "config", "set", "alarm=0075", "location=000099"});
  EXPECT_EQ(result.exit_code, kExitFailed);
  EXPECT_NE(result.err.find("did not confirm location"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("alarm"), std::string::npos) << "the second order was confirmed";
  EXPECT_NE(result.out.find("alarm            0075\n"), std::string::npos) << result.out;
}

}  // namespace
