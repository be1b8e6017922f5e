#pragma once
// FakeConsole: the console seam of 719k (cli/console.h) for native tests.
// The test says whether stdin and stderr are terminals and when an
// interrupt came; the commands see exactly that.

#include "link/cancel_token.h"

struct FakeConsole {
  bool stdin_terminal = false;
  bool stderr_terminal = false;
  bool interrupt_seen = false;
  bool stdout_binary = false;
};

FakeConsole& fake_console();
void fake_console_reset();

// What Ctrl-C does: marks the run interrupted and cancels the link.
void fake_console_interrupt();
