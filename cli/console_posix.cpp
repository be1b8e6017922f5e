// The console seam on POSIX: isatty, and a SIGINT/SIGTERM handler that only
// sets flags (both are lock-free atomics, so safe in a handler).
//
// The handler is installed without SA_RESTART: a poll that waits for the
// line then returns at once with EINTR, and the port's wait loop sees the
// cancel without waiting for its next slice.

#include "cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>


namespace {

std::atomic<bool> interrupt_seen{false};
CancelToken interrupt_cancel;

void on_interrupt(int) {
  interrupt_seen = true;
  interrupt_cancel.request();
}

}  // namespace

bool stdin_is_terminal() { return isatty(STDIN_FILENO) == 1; }
bool stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

void catch_interrupts() {
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A reader of stdout that goes away (719k ... | head) ends the writes
  // with an error instead of the process.
  signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return interrupt_seen; }
const CancelToken& interrupt_token() { return interrupt_cancel; }

void use_binary_stdout() {}
