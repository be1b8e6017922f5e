// instrument-sim as the end-to-end tests use it: a process that prints its
// pty, answers over it, writes changed state back, keeps a transcript and
// stops cleanly. Driven here directly over the pty slave, without Wine.

#include "tools/sim_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/sim_process.h"
#include "tools/instrument_state_file.h"

namespace {

std::string converse(int fd, const std::string& host_text, std::size_t reply_bytes, int wait_ms = kSimReplyWaitMs) {
  EXPECT_EQ(write(fd, host_text.data(), host_text.size()), static_cast<ssize_t>(host_text.size()));
  return read_reply(fd, reply_bytes, wait_ms);
}

class InstrumentSim : public testing::Test {
 protected:
  void SetUp() override {
    // A name of each test's own: ctest runs the tests side by side.
    work = testing::TempDir() + "instrument_sim_test_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    state_path = work + "state.txt";
    std::ofstream(state_path, std::ios::binary) << file_text(SET719K_SAMPLE_INSTRUMENT);
  }

  int open_line(const SimProcess& sim) { return open(sim.pty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); }

  std::string work, state_path;
};

TEST_F(InstrumentSim, ServesAnOrderSavesTheStateAndStopsCleanly) {
  const std::string transcript = work + "transcript.txt";
  SimProcess sim({"--state", state_path, "--transcript", transcript});
  ASSERT_EQ(sim.pty.rfind("/dev/", 0), 0u) << "first line: " << sim.pty;
  int line = open_line(sim);
  ASSERT_GE(line, 0);
  EXPECT_EQ(converse(line, "?\r", 1), "!");
  EXPECT_EQ(converse(line, "SET USER ID 777\r", 16), "\nSET USER ID 777");
  EXPECT_EQ(converse(line, "!\r", 1), "!");
  InstrumentState saved;
  std::string error;
  ASSERT_TRUE(load_instrument_state(state_path, saved, error)) << error;
  EXPECT_EQ(saved.settings.user_id, "777") << "saved before the reply went out";
  EXPECT_GE(saved.log_lines.size(), 30u) << "the log is saved with the settings";

  // The program closes and reopens its port between runs; the simulator
  // must not lose the line when nobody holds it open.
  close(line);
  line = open_line(sim);
  ASSERT_GE(line, 0);
  EXPECT_EQ(converse(line, "?\r", 1), "!");
  EXPECT_EQ(converse(line, "GET USER ID\r", 12), "\nGET USER ID");
  EXPECT_EQ(converse(line, "!\r", 22), "\x02USER ID..........777\x03");
  close(line);

  EXPECT_EQ(sim.stop(), 0);
  const std::string text = file_text(transcript);
  EXPECT_NE(text.find("host \"SET USER ID 777\\r\"\ninst \"\\nSET USER ID 777\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("inst \"\\x02USER ID..........777\\x03\"\n"), std::string::npos) << text;
}

TEST_F(InstrumentSim, PacedRepliesTakeTheirTimeOnTheLine) {
  SimProcess sim({"--state", state_path, "--save-state", work + "unused.txt", "--paced"});
  int line = open_line(sim);
  ASSERT_GE(line, 0);
  EXPECT_EQ(converse(line, "?\rGET REAL TIME\r", 15), "!\nGET REAL TIME");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(converse(line, "!\r", 32).size(), 32u);
  // 32 characters at 2400 baud take 133 ms.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
  close(line);
}

TEST_F(InstrumentSim, PacedSimulatorSendsNothingWhileTheHostsLineIsIncomplete) {
  SimProcess sim({"--state", state_path, "--save-state", work + "unused.txt", "--paced"});
  int line = open_line(sim);
  ASSERT_GE(line, 0);
  // The program writes the attention byte and its terminator apart.
  EXPECT_EQ(converse(line, "?", 1, 300), "");
  EXPECT_EQ(converse(line, "\r", 2, 300), "!");
  close(line);
}

TEST_F(InstrumentSim, LinkPointsAtThePtyWhileItRuns) {
  const std::string link = work + "COM1";
  SimProcess sim({"--state", state_path, "--link", link, "--silent"});
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), sim.pty);
  int line = open_line(sim);
  EXPECT_EQ(converse(line, "?\r", 1, 300), "") << "--silent";
  close(line);
  EXPECT_EQ(sim.stop(), 0);
  struct stat gone {};
  EXPECT_NE(lstat(link.c_str(), &gone), 0);
}

TEST(SimOptions, ParsesKnobsAndRefusesWhatItDoesNotKnow) {
  struct Case {
    std::vector<const char*> arguments;
    bool accepted;
  };
  const Case cases[] = {
      {{"--corrupt-echo", "3", "--silent-after-log-lines", "10", "--response-framing", "one-byte"}, true},
      {{"--silent-after-log-lines", "-1"}, true},
      {{"--corrupt-echo", "-1"}, false},
      {{"--corrupt-echo", "3x"}, false},
      {{"--corrupt-echo"}, false},
      {{"--response-framing", "two-bytes"}, false},
      {{"--unknown", "1"}, false},
      {{"stray"}, false},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"instrument-sim"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    SimOptions options;
    std::string error;
    EXPECT_EQ(parse_sim_options(static_cast<int>(argv.size()), argv.data(), options, error), c.accepted)
        << c.arguments[0] << " " << error;
  }
  SimOptions options;
  std::string error;
  const char* knobs[] = {"sim", "--corrupt-echo", "3", "--silent-after-log-lines", "10", "--response-framing",
                         "forty-bytes", "--state", "a.txt"};
  ASSERT_TRUE(parse_sim_options(9, knobs, options, error)) << error;
  EXPECT_EQ(options.faults.corrupt_echo, 3);
  EXPECT_EQ(options.faults.silent_after_log_lines, 10);
  EXPECT_EQ(options.faults.response_framing, ResponseFraming::forty_bytes);
  EXPECT_EQ(options.save_path, "a.txt") << "changes go back to the state file by default";
  const char* elsewhere[] = {"sim", "--state", "a.txt", "--save-state", "b.txt"};
  ASSERT_TRUE(parse_sim_options(5, elsewhere, options, error));
  EXPECT_EQ(options.save_path, "b.txt");
  const char* sample[] = {"sim"};
  ASSERT_TRUE(parse_sim_options(1, sample, options, error));
  EXPECT_EQ(options.save_path, "") << "the sample is never written";
}

}  // namespace
