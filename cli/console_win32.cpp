// The console seam on Windows: the C runtime's _isatty, binary mode for
// standard output, and a console control handler.
//
// The handler runs on a thread of its own that the system starts for each
// event. It only sets flags; the serial port's wait loop looks at the
// cancel at least every kSerialWaitSliceMs, so the exchange in progress
// ends within that time. Returning TRUE keeps the process alive so that it
// can write what it has and close the port.

#include "cli/console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <atomic>


namespace {

std::atomic<bool> interrupt_seen{false};
CancelToken interrupt_cancel;

BOOL WINAPI on_console_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      interrupt_seen = true;
      interrupt_cancel.request();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool stdin_is_terminal() { return _isatty(_fileno(stdin)) != 0; }
bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

void catch_interrupts() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool interrupted() { return interrupt_seen; }
const CancelToken& interrupt_token() { return interrupt_cancel; }

void use_binary_stdout() { _setmode(_fileno(stdout), _O_BINARY); }
