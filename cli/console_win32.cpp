// The console seam on Windows: the C runtime's _isatty, binary mode for
// standard output, and a console control handler.
//
// The handler runs on a thread of its own that the system starts for each
// event. It only sets lock-free atomics; the serial port's wait loop looks at
// the cancel at least every kSerialWaitSliceMs, so the exchange in progress
// ends within that time. Returning TRUE keeps the process alive so that it
// can write what it has and close the port. Closing the console window is
// the terminal going away, as SIGHUP is on POSIX; logoff and shutdown stop
// the program as SIGTERM does.

#include "cli/console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <atomic>

#include "cli/exit_codes.h"

namespace {

std::atomic<int> stop_exit_code{0};
CancelToken interrupt_cancel;

int exit_code_of(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: return kExitInterrupted;
    case CTRL_CLOSE_EVENT: return kExitHangup;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: return kExitTerminated;
    default: return 0;
  }
}

BOOL WINAPI on_console_event(DWORD event) {
  const int exit_code = exit_code_of(event);
  if (exit_code == 0) return FALSE;
  int none = 0;
  stop_exit_code.compare_exchange_strong(none, exit_code);  // the first stop counts
  interrupt_cancel.request();
  return TRUE;
}

}  // namespace

bool stdin_is_terminal() { return _isatty(_fileno(stdin)) != 0; }
bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

void catch_interrupts() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool interrupted() { return stop_exit_code != 0; }
int interrupt_exit_code() { return stop_exit_code; }
const CancelToken& interrupt_token() { return interrupt_cancel; }

void use_binary_stdout() { _setmode(_fileno(stdout), _O_BINARY); }
