#include "tests/fakes/fake_console.h"

#include "cli/console.h"
#include "link/link_cancel.h"

namespace {
FakeConsole console;
}  // namespace

FakeConsole& fake_console() { return console; }
void fake_console_reset() { console = FakeConsole(); }

void fake_console_interrupt() {
  console.interrupt_seen = true;
  link_cancel_request();
}

bool stdin_is_terminal() { return console.stdin_terminal; }
bool stderr_is_terminal() { return console.stderr_terminal; }
void catch_interrupts() {}
bool interrupted() { return console.interrupt_seen; }
void use_binary_stdout() { console.stdout_binary = true; }
