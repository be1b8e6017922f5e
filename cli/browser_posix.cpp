#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "cli/browser.h"

extern char** environ;

namespace {

constexpr const char* kOpener = "xdg-open";
constexpr std::chrono::milliseconds kExitPollInterval{50};

}  // namespace

std::string open_in_browser(const std::string& path) {
  // Standard output may be a pipe the caller reads: the opener's chatter
  // goes nowhere, its errors to our standard error.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const char* const arguments[] = {kOpener, path.c_str(), nullptr};
  pid_t opener = 0;
  const int spawned = posix_spawnp(&opener, kOpener, &actions, nullptr, const_cast<char* const*>(arguments), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::string(kOpener) + " could not be started: " + std::strerror(spawned);

  const auto give_up_at = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBrowserOpenerWaitMs);
  while (std::chrono::steady_clock::now() < give_up_at) {
    int status = 0;
    const pid_t ended = waitpid(opener, &status, WNOHANG);
    if (ended < 0 && errno == EINTR) continue;
    if (ended < 0) return std::string();
    if (ended == opener) {
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::string();
      return std::string(kOpener) + " failed (" +
             (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status)) : std::string("killed")) + ")";
    }
    std::this_thread::sleep_for(kExitPollInterval);
  }
  return std::string();
}
