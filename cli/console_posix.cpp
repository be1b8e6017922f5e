// The console seam on POSIX: isatty, and handlers for SIGINT, SIGHUP and
// SIGTERM that only set lock-free atomics (safe in a handler).
//
// The handlers are installed without SA_RESTART: a poll that waits for the
// line, or a read of the answer to a question, then returns at once with
// EINTR, and the program sees the stop without waiting for its next slice.

#include "cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>

#include "cli/exit_codes.h"

namespace {

std::atomic<int> stop_exit_code{0};
CancelToken interrupt_cancel;

void on_stop(int signal_number) {
  const int exit_code = signal_number == SIGHUP    ? kExitHangup
                        : signal_number == SIGTERM ? kExitTerminated
                                                   : kExitInterrupted;
  int none = 0;
  stop_exit_code.compare_exchange_strong(none, exit_code);  // the first stop counts
  interrupt_cancel.request();
}

}  // namespace

bool stdin_is_terminal() { return isatty(STDIN_FILENO) == 1; }
bool stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

void catch_interrupts() {
  struct sigaction action {};
  action.sa_handler = on_stop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (int signal_number : {SIGINT, SIGHUP, SIGTERM}) sigaction(signal_number, &action, nullptr);
  // A reader of stdout that goes away (719k ... | head) ends the writes
  // with an error instead of the process.
  signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return stop_exit_code != 0; }
int interrupt_exit_code() { return stop_exit_code; }
const CancelToken& interrupt_token() { return interrupt_cancel; }

void use_binary_stdout() {}
