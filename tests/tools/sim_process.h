#pragma once
// instrument-sim as a child process of a native test: started with the
// options given, its pty read from the first line it prints, stopped with
// SIGTERM (SIGKILL after two seconds) when the object goes. The program's
// path comes from SET719K_INSTRUMENT_SIM, which the tests' CMake defines.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline constexpr int kSimReplyWaitMs = 2000;

inline std::string file_text(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Reads until `count` bytes or the byte `last` came, or the wait ran out.
inline std::string read_reply(int fd, std::size_t count, int wait_ms = kSimReplyWaitMs, int last = -1) {
  using Clock = std::chrono::steady_clock;
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
    pty = read_reply(out[0], 256, kSimReplyWaitMs, '\n');
    close(out[0]);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

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
