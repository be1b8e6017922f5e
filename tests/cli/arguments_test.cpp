// The command line of 719k: which command each argument list names, common
// options on either side of the command, the port from the environment, and
// the parser's own answers (help, version, errors) with their exit codes.

#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"

namespace {

struct Parse {
  ParsedArguments parsed;
  std::string out;
  std::string err;
};

Parse parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "719k");
  std::ostringstream out, err;
  Parse result{parse_arguments(static_cast<int>(arguments.size()), arguments.data(), out, err), {}, {}};
  result.out = out.str();
  result.err = err.str();
  return result;
}

class Arguments : public testing::Test {
 protected:
  void SetUp() override { unsetenv(kPortVariable); }
  void TearDown() override { unsetenv(kPortVariable); }
};

TEST_F(Arguments, EachCommandIsNamedWithCommonOptionsBeforeOrAfterIt) {
  struct Case {
    std::vector<const char*> arguments;
    CommandName command;
  };
  const Case cases[] = {
      {{"--port", "/dev/ttyUSB0", "--json", "--quiet", "info"}, CommandName::info},
      {{"info", "--port", "/dev/ttyUSB0", "--json", "--quiet"}, CommandName::info},
      {{"config", "get", "--json", "--port", "/dev/ttyUSB0", "--quiet"}, CommandName::config_get},
      {{"--quiet", "log", "download", "--port", "/dev/ttyUSB0", "--json"}, CommandName::log_download},
      {{"--json", "--port=/dev/ttyUSB0", "--quiet", "ports"}, CommandName::ports},
  };
  for (const Case& c : cases) {
    const Parse result = parse(c.arguments);
    ASSERT_TRUE(result.parsed.invocation) << result.err;
    EXPECT_EQ(result.parsed.invocation->command, c.command);
    EXPECT_EQ(result.parsed.invocation->port, "/dev/ttyUSB0");
    EXPECT_TRUE(result.parsed.invocation->json);
    EXPECT_TRUE(result.parsed.invocation->quiet);
  }
}

TEST_F(Arguments, CommandValuesReachTheInvocation) {
  Parse result = parse({"config", "set", "user-id=42", "span=", "--port", "COM3", "--trace", "t.jsonl"});
  ASSERT_TRUE(result.parsed.invocation) << result.err;
  EXPECT_EQ(result.parsed.invocation->command, CommandName::config_set);
  EXPECT_EQ(result.parsed.invocation->assignments, (std::vector<std::string>{"user-id=42", "span="}));
  EXPECT_EQ(result.parsed.invocation->trace_path, "t.jsonl");

  result = parse({"clock", "set", "--time", "2009-01-05 09:07"});
  ASSERT_TRUE(result.parsed.invocation);
  EXPECT_EQ(result.parsed.invocation->time, "2009-01-05 09:07");
  EXPECT_FALSE(parse({"clock", "set"}).parsed.invocation->time) << "no --time: the local time now";

  result = parse({"log", "download", "-o", "log.csv", "--format", "list"});
  ASSERT_TRUE(result.parsed.invocation);
  EXPECT_EQ(result.parsed.invocation->output_path, "log.csv");
  EXPECT_EQ(result.parsed.invocation->format, LogFormat::list);
  EXPECT_EQ(parse({"log", "download", "--format", "list", "--json"}).parsed.invocation->format, LogFormat::json)
      << "--json means the JSON format";
  EXPECT_EQ(parse({"log", "download"}).parsed.invocation->format, LogFormat::csv);

  EXPECT_TRUE(parse({"log", "erase", "--yes"}).parsed.invocation->yes);
  EXPECT_FALSE(parse({"log", "erase"}).parsed.invocation->yes);
}

TEST_F(Arguments, PortComesFromTheEnvironmentUnlessGiven) {
  setenv(kPortVariable, "/dev/ttyACM0", 1);
  EXPECT_EQ(parse({"info"}).parsed.invocation->port, "/dev/ttyACM0");
  EXPECT_EQ(parse({"info", "--port", "/dev/ttyUSB1"}).parsed.invocation->port, "/dev/ttyUSB1");
}

TEST_F(Arguments, HelpAndVersionExitZeroOnStandardOutput) {
  for (const std::vector<const char*>& arguments : std::vector<std::vector<const char*>>{
           {"--help"}, {"config", "--help"}, {"config", "set", "--help"}, {"log", "download", "-h"}}) {
    const Parse result = parse(arguments);
    EXPECT_FALSE(result.parsed.invocation);
    EXPECT_EQ(result.parsed.exit_code, kExitDone);
    EXPECT_NE(result.out.find("Usage: 719k"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("130  interrupted"), std::string::npos) << "exit codes on every level";
    EXPECT_EQ(result.err, "");
  }
  const Parse version = parse({"--version"});
  EXPECT_EQ(version.parsed.exit_code, kExitDone);
  EXPECT_EQ(version.out, std::string("719k ") + SET719K_VERSION + "\n");
}

TEST_F(Arguments, ParserErrorsAreUsageErrorsOnStandardError) {
  for (const std::vector<const char*>& arguments : std::vector<std::vector<const char*>>{
           {}, {"bogus"}, {"info", "--bogus"}, {"config"}, {"config", "set"}, {"log", "download", "--format", "xml"},
           {"--port"}, {"clock", "set", "--time"}}) {
    const Parse result = parse(arguments);
    EXPECT_FALSE(result.parsed.invocation);
    EXPECT_EQ(result.parsed.exit_code, kExitUsage);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
}

}  // namespace
