#include "tests/fakes/fake_console.h"

#include "cli/console.h"
#include "cli/exit_codes.h"

namespace {
FakeConsole console;
CancelToken interrupt_cancel;
}  // namespace

FakeConsole& fake_console() { return console; }
void fake_console_reset() {
  console = FakeConsole();
  interrupt_cancel.clear();
}

void fake_console_interrupt() {
  console.interrupt_seen = true;
  interrupt_cancel.request();
}

bool stdin_is_terminal() { return console.stdin_terminal; }
bool stderr_is_terminal() { return console.stderr_terminal; }
void catch_interrupts() {}
bool interrupted() { return console.interrupt_seen; }
int interrupt_exit_code() { return console.interrupt_seen ? kExitInterrupted : 0; }
const CancelToken& interrupt_token() { return interrupt_cancel; }
void use_binary_stdout() { console.stdout_binary = true; }
