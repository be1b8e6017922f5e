// instrument-sim as the end-to-end tests use it: a process that prints its
// pty, answers over it, writes changed state back, keeps a transcript and
// stops cleanly. Driven here directly over the pty slave, without Wine.

#include "tools/sim_options.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/instrument_state_file.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReplyWaitMs = 2000;

std::string file_text(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Reads until `count` bytes or the byte `last` came, or the wait ran out.
std::string read_reply(int fd, std::size_t count, int wait_ms = kReplyWaitMs, int last = -1) {
  std::string reply;
  const auto deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
  while (reply.size() < count && Clock::now() < deadline) {
    pollfd line{fd, POLLIN, 0};
    if (poll(&line, 1, 20) <= 0) continue;
    char byte;
    if (read(fd, &byte, 1) != 1) continue;
    if (byte == last) break;
    reply += byte;
  }
  return reply;
}

std::string converse(int fd, const std::string& host_text, std::size_t reply_bytes, int wait_ms = kReplyWaitMs) {
  EXPECT_EQ(write(fd, host_text.data(), host_text.size()), static_cast<ssize_t>(host_text.size()));
  return read_reply(fd, reply_bytes, wait_ms);
}

struct SimProcess {
  pid_t pid = -1;
  std::string pty;

  explicit SimProcess(std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    arguments.insert(arguments.begin(), SET719K_INSTRUMENT_SIM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    pty = read_reply(out[0], 256, kReplyWaitMs, '\n');
    close(out[0]);
  }

  // SIGTERM; the exit status, or -1 when it did not end within two seconds.
  int stop() {
    if (pid < 0) return -1;
    kill(pid, SIGTERM);
    for (int waited_ms = 0; waited_ms < 2000; waited_ms += 10) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    return -1;
  }

  ~SimProcess() { stop(); }
};

class InstrumentSim : public testing::Test {
 protected:
  void SetUp() override {
    work = testing::TempDir() + "instrument_sim_test_";
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
  const auto start = Clock::now();
  EXPECT_EQ(converse(line, "!\r", 32).size(), 32u);
  // 32 characters at 2400 baud take 133 ms.
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(120));
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
