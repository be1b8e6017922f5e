// The commands of 719k run in-process against the instrument model behind
// the fake port: what each sends, prints and exits with, including a silent
// instrument, refused values, unconfirmed orders, an interrupt and the trace.

#include "cli/commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/export_log.h"
#include "cli/exit_codes.h"
#include "datalog/csv.h"
#include "link/log_transfer.h"
#include "link/transaction.h"
#include "tests/fakes/fake_console.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_serial_port.h"
#include "tools/instrument_model.h"

namespace {

using Lines = std::vector<std::string>;
using Json = nlohmann::json;

struct CommandRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// The JSON text of the trace back into the bytes it stands for.
std::string latin1_bytes(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += utf8[i];
    } else {
      bytes += static_cast<char>(((lead & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
  }
  return bytes;
}

// Every command line the host sent, not the texts it handed back.
Lines command_lines() {
  Lines commands;
  for (const std::string& write : fake_port_host_writes()) {
    for (const char* verb : {"GET ", "SET ", "DO "}) {
      if (write.rfind(verb, 0) == 0) commands.push_back(write);
    }
  }
  return commands;
}

class CommandTest : public testing::Test {
 protected:
  void SetUp() override {
    fake_port_reset();
    fake_console_reset();
    fake_dialog_reset();
    model.state = default_instrument_state();
    model.state.log_lines = {kReceivedBanner, kShortColumnHeader, " I...............000123",
                             " U...............000000042", " O...............M1",
                             "05/23/08 1432   A00017       125    OK", "05/23/08 1433   A,0018        12    \"HIGH\""};
    fake_port_attach(&model);
    unsetenv("SET719K_PORT");
  }

  void TearDown() override {
    fake_port_on_wait(nullptr);
    serial_port_close();
  }

  static CommandRun run(std::vector<const char*> arguments, const std::string& input = "") {
    arguments.insert(arguments.begin(), "719k");
    std::ostringstream out, err;
    std::istringstream in(input);
    CommandRun result;
    const ParsedArguments parsed = parse_arguments(static_cast<int>(arguments.size()), arguments.data(), out, err);
    result.exit_code = parsed.invocation ? run_command(*parsed.invocation, Streams{in, out, err}) : parsed.exit_code;
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  static std::string temp_path(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("719k_test_") + name)).string();
  }

  InstrumentModel model;
};

// --- Readouts -----------------------------------------------------------------------

TEST_F(CommandTest, InfoPrintsFirmwareAndClockAsTheDialogShowsThemWithItsTwoQueriesOnly) {
  const CommandRun text = run({"--port", "COM1", "info"});
  EXPECT_EQ(text.exit_code, kExitDone) << text.err;
  EXPECT_EQ(text.out, "firmware  3.1\nclock     05/23/08  02:32 PM\n");
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(command_lines(), (Lines{"GET VERSION NUMBER", "GET REAL TIME"}));
  EXPECT_EQ(fake_port_discard_count(), 1) << "input waiting at open is thrown away";
  EXPECT_FALSE(serial_port_is_open());

  model.state.clock = "13/45/08 2599";
  const Json json = Json::parse(run({"info", "--json", "--port", "COM1"}).out);
  EXPECT_EQ(json, Json::parse(R"({"firmware": "3.1", "clock": "13/45/08 2599", "clock_iso": null})"));
  model.state.clock = "12/31/08 2359";
  EXPECT_EQ(Json::parse(run({"info", "--json", "--port", "COM1"}).out)["clock_iso"], "2008-12-31T23:59");
}

TEST_F(CommandTest, SilentInstrumentFailsInfoWithinTheVersionQuerysBudgetAndAsksNothingMore) {
  model.faults.silent = true;
  const CommandRun result = run({"--port", "COM1", "info", "--json"});

  EXPECT_EQ(result.exit_code, kExitFailed);
  EXPECT_EQ(Json::parse(result.out), Json::parse(R"({"firmware": null, "clock": null, "clock_iso": null})"));
  EXPECT_NE(result.err.find("did not answer on COM1"), std::string::npos) << result.err;
  EXPECT_TRUE(command_lines().empty()) << "the attention byte was never answered";
  // Sixteen unanswered attention bytes: one 1-byte read of 800 ms each.
  EXPECT_LT(fake_port_elapsed_us(), 16 * 850'000);
  EXPECT_GT(fake_port_elapsed_us(), 16 * 800'000);
}

TEST_F(CommandTest, ConfigGetPrintsAllEightInTheDialogsOrderAlignedOrAsJson) {
  const CommandRun text = run({"--port", "COM1", "config", "get"});
  EXPECT_EQ(text.exit_code, kExitDone) << text.err;
  EXPECT_EQ(text.out,
            "instrument       000123\n"
            "user-id          000000042\n"
            "location         000017\n"
            "access-level     2\n"
            "operating-mode   OPERATING MODE...M1\n"
            "alarm            0050\n"
            "span             0100\n"
            "response-factor  1.00\n");
  EXPECT_EQ(command_lines().size(), 8u);

  const Json json = Json::parse(run({"--port", "COM1", "--json", "config", "get"}).out);
  EXPECT_EQ(json["user_id"], "000000042");
  EXPECT_EQ(json["operating_mode"], "OPERATING MODE...M1");
  EXPECT_EQ(json.size(), 8u);
}

TEST_F(CommandTest, ConfigGetStopsAtTheFirstFailedQueryPrintsWhatItReadAndExitsOne) {
  model.faults.ignore_attention = kTransactionBudget + 1;  // the first query uses up its attention budget
  const CommandRun result = run({"--port", "COM1", "config", "get", "--json"});
  EXPECT_EQ(result.exit_code, kExitFailed);
  const Json json = Json::parse(result.out);
  EXPECT_TRUE(json["instrument"].is_null());
  EXPECT_TRUE(json["alarm"].is_null()) << "nothing is asked after the first failure";
  EXPECT_NE(result.err.find("could not read instrument"), std::string::npos) << result.err;
  EXPECT_TRUE(command_lines().empty());
}

// --- Orders -------------------------------------------------------------------------

TEST_F(CommandTest, ConfigSetSendsOnlyTheNamedSettingsInTheWriteOrderThenReadsAllEightBack) {
  const CommandRun result = run({"--port", "COM1", "config", "set", "span=0250", "user-id=", "access-level=3"});

  EXPECT_EQ(result.exit_code, kExitDone) << result.err;
  EXPECT_EQ(model.orders_performed, (Lines{"SET ACCESS LEVEL 3", "SET USER ID ", "SET SPAN CONCENTRATION 0250"}));
  const Lines commands = command_lines();
  ASSERT_EQ(commands.size(), 11u);
  EXPECT_EQ(Lines(commands.begin() + 3, commands.end()),
            (Lines{"GET INSTRUMENT NUMBER", "GET ALARM SETTING", "GET ACCESS LEVEL", "GET LOCATION CODE",
                   "GET OPERATING MODE", "GET USER ID", "GET RESPONSE FACTOR", "GET SPAN CONCENTRATION"}));
  EXPECT_NE(result.out.find("span             0250\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("access-level     3\n"), std::string::npos) << result.out;
}

TEST_F(CommandTest, RefusedValuesAreUsageErrorsWithNothingSentAndNoPortOpened) {
  const std::vector<std::vector<const char*>> refused = {
      {"config", "set", "access-level=4"}, {"config", "set", "operating-mode=M2"},
      {"config", "set", "user-id=1234567890"}, {"config", "set", "bogus=1"},
      {"clock", "set", "--time", "1999-12-31 23:59"}, {"log", "erase"},
  };
  for (std::vector<const char*> arguments : refused) {
    arguments.insert(arguments.begin(), {"--port", "COM1"});
    const CommandRun result = run(arguments);
    EXPECT_EQ(result.exit_code, kExitUsage) << arguments[2];
    EXPECT_NE(result.err.find("nothing was sent"), std::string::npos) << result.err;
  }
  EXPECT_EQ(fake_port_open_count(), 0);
  EXPECT_TRUE(fake_port_transcript().empty());
}

TEST_F(CommandTest, UnconfirmedOrderIsNamedAndExitsOneAfterTheReadBack) {
  model.faults.drop_order_closing = 1;
  const CommandRun result = run({"--port", "COM1", "config", "set", "alarm=0075", "location=000099"});
  EXPECT_EQ(result.exit_code, kExitFailed);
  EXPECT_NE(result.err.find("did not confirm location"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("alarm"), std::string::npos) << "the second order was confirmed";
  EXPECT_NE(result.out.find("alarm            0075\n"), std::string::npos) << result.out;
}

TEST_F(CommandTest, ClockSetSendsTheGivenTimeThenPrintsTheClockReadBack) {
  const CommandRun text = run({"--port", "COM1", "clock", "set", "--time", "2009-01-05 09:07"});
  EXPECT_EQ(text.exit_code, kExitDone) << text.err;
  EXPECT_EQ(model.orders_performed, (Lines{"SET REAL TIME 01/05/09 0907"}));
  EXPECT_EQ(text.out, "clock     01/05/09  09:07 AM\n") << "the line info shows";
  EXPECT_EQ(command_lines().back(), "GET REAL TIME");

  model.faults.drop_order_closing = 1;
  const CommandRun json = run({"--port", "COM1", "--json", "clock", "set", "--time", "2009-01-05 21:30"});
  EXPECT_EQ(json.exit_code, kExitFailed);
  EXPECT_EQ(Json::parse(json.out), Json::parse(R"({"clock": "01/05/09  09:30 PM", "clock_iso": "2009-01-05T21:30"})"));
}

TEST_F(CommandTest, EraseAsksOnATerminalAndNeedsYesWithoutOne) {
  fake_console().stdin_terminal = true;
  CommandRun result = run({"--port", "COM1", "log", "erase"}, "n\n");
  EXPECT_EQ(result.exit_code, kExitDone);
  EXPECT_NE(result.err.find("Erase all readings stored in the instrument? [y/N] "), std::string::npos);
  EXPECT_EQ(fake_port_open_count(), 0) << "No: the port is not even opened";

  result = run({"--port", "COM1", "log", "erase"}, "y\n");
  EXPECT_EQ(result.exit_code, kExitDone) << result.err;
  EXPECT_EQ(model.orders_performed, (Lines{"DO RESET LOG"}));
  EXPECT_TRUE(model.state.log_lines.empty());

  fake_console().stdin_terminal = false;
  model.faults.drop_order_closing = 1;
  result = run({"--port", "COM1", "log", "erase", "--yes"});
  EXPECT_EQ(result.exit_code, kExitFailed);
  EXPECT_NE(result.err.find("did not confirm the erase"), std::string::npos);
}

// --- The data log -----------------------------------------------------------------

TEST_F(CommandTest, DownloadedCsvIsByteForByteWhatExportLogWrites) {
  const CommandRun result = run({"--port", "COM1", "log", "download"});
  EXPECT_EQ(result.exit_code, kExitDone) << result.err;
  EXPECT_NE(result.err.find("downloaded 7 log lines, 2 readings"), std::string::npos) << result.err;

  fake_files_reset();
  fake_files().save_dialog_answers.push_back("export.txt");
  export_log(fake_dialog_handle());
  EXPECT_EQ(result.out, fake_files().files["export.txt"]);
  EXPECT_NE(result.out.find("000123,000000042,\"M1\",05/23/08 1433,\"A,0018\",  12,\"\"\"HIGH\"\"\"\r\n"),
            std::string::npos)
      << result.out;
}

TEST_F(CommandTest, DownloadAsListOrJsonAndIntoAFile) {
  const CommandRun list = run({"--port", "COM1", "--quiet", "log", "download", "--format", "list"});
  EXPECT_EQ(list.err, "") << "--quiet";
  EXPECT_EQ(list.out.substr(0, 2 + std::string(kBannerLine).size() + 1), std::string(" \n") + kBannerLine + "\n");
  EXPECT_NE(list.out.find(std::string(kLongColumnHeader) + "\n"), std::string::npos);

  const Json readings = Json::parse(run({"--port", "COM1", "--json", "log", "download"}).out);
  ASSERT_EQ(readings.size(), 2u);
  EXPECT_EQ(readings[1], Json::parse(R"({"instrument": "000123", "user_id": "000000042", "mode": "M1",
      "datetime": "05/23/08 1433", "location": "A,0018", "ppm": "  12", "status": "\"HIGH\""})"));

  const std::string path = temp_path("download.csv");
  EXPECT_EQ(run({"--port", "COM1", "log", "download", "-o", path.c_str()}).exit_code, kExitDone);
  std::ifstream file(path, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, run({"--port", "COM1", "log", "download"}).out);
  std::filesystem::remove(path);
}

TEST_F(CommandTest, DownloadThatStopsPartWayWritesTheLinesReceivedAndExitsOne) {
  model.faults.silent_after_log_lines = 6;
  const CommandRun result = run({"--port", "COM1", "log", "download"});
  EXPECT_EQ(result.exit_code, kExitFailed);
  EXPECT_EQ(result.out, std::string(kCsvHeaderLine) + "000123,000000042,\"M1\",05/23/08 1432,A00017, 125,OK\r\n");
  EXPECT_NE(result.err.find("stopped answering after 6 lines"), std::string::npos) << result.err;
}

TEST_F(CommandTest, InterruptStopsTheDownloadAtOnceKeepsTheLinesAndExits130) {
  fake_port_on_wait([this] {
    if (model.log_lines_acknowledged == 6) fake_console_interrupt();
  });
  const CommandRun result = run({"--port", "COM1", "log", "download", "--format", "list"});

  EXPECT_EQ(result.exit_code, kExitInterrupted);
  EXPECT_EQ(result.out.substr(result.out.size() - 40), "\n05/23/08 1432   A00017       125    OK\n");
  EXPECT_NE(result.err.find("interrupted"), std::string::npos);
  EXPECT_EQ(result.err.find("did not complete"), std::string::npos) << "an interrupt is not a failure";
  EXPECT_EQ(fake_port_close_count(), 1);
}

// --- The port and the trace ---------------------------------------------------------

TEST_F(CommandTest, PortThatCannotBeOpenedExitsThreeAndNoPortIsAUsageError) {
  fake_port_refuse_open(true);
  CommandRun result = run({"--port", "COM1", "info"});
  EXPECT_EQ(result.exit_code, kExitPortUnavailable);
  EXPECT_EQ(result.err, "719k: cannot open COM1: the port is in use by another program\n");

  result = run({"info"});
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_NE(result.err.find("SET719K_PORT"), std::string::npos);
}

TEST_F(CommandTest, TraceReproducesTheWireWithEveryStage) {
  model.faults.corrupt_echo = 1;  // one retry to see in the stages
  const std::string path = temp_path("trace.jsonl");
  ASSERT_EQ(run({"--port", "COM1", "--trace", path.c_str(), "info"}).exit_code, kExitDone);

  std::ifstream file(path);
  std::vector<Json> events;
  for (std::string line; std::getline(file, line);) events.push_back(Json::parse(line));
  std::filesystem::remove(path);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.front()["event"], "open");
  EXPECT_EQ(events.front()["port"], "COM1");
  EXPECT_EQ(events.back()["event"], "close");

  std::string written, read;
  std::vector<std::string> stages;
  for (const Json& event : events) {
    if (event["event"] == "write") written += latin1_bytes(event["data"]);
    if (event["event"] == "read") read += latin1_bytes(event["data"]);
    if (event["event"] == "stage") stages.push_back(event["stage"].get<std::string>() + " " +
                                                    event["outcome"].get<std::string>());
  }
  EXPECT_EQ(written, fake_port_host_bytes());
  std::string transcript_read;
  for (const FakeTransfer& transfer : fake_port_transcript()) {
    if (transfer.direction == FakeDirection::host_read) transcript_read += transfer.bytes;
  }
  EXPECT_EQ(read, transcript_read);
  EXPECT_EQ(std::count(stages.begin(), stages.end(), "echo retry"), 1);
  EXPECT_EQ(std::count(stages.begin(), stages.end(), "closing passed"), 2);
}

TEST_F(CommandTest, PortsAreListedSortedOneALineOrAsJson) {
  fake_port_set_system_names({"COM3", "COM12", "COM1"});
  const CommandRun text = run({"ports"});
  EXPECT_EQ(text.exit_code, kExitDone);
  EXPECT_EQ(text.out, "COM1\t\nCOM12\t\nCOM3\t\n");
  EXPECT_EQ(Json::parse(run({"ports", "--json"}).out)[1], Json::parse(R"({"name": "COM12", "description": ""})"));
}

}  // namespace
