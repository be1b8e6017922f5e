#pragma once
// The console seam of 719k: what the command-line program needs of the
// terminal and of the process's signals, and nothing else.
//
// Implemented with POSIX calls (console_posix.cpp) and with the Windows
// console (console_win32.cpp); the tests link FakeConsole.
//
// An interrupt (Ctrl-C; on Windows also Ctrl-Break and closing the console)
// requests a cancel on the interrupt token, which every port that a command
// opens watches, so the exchange in progress ends at once without sending
// anything more, and marks the run as interrupted; the program then writes
// what it has, closes the port and exits 130. Nothing else is done in the
// handler. The token is the program's one piece of process-wide state that
// a signal handler needs.

#include "link/cancel_token.h"

bool stdin_is_terminal();
bool stderr_is_terminal();

// From now on an interrupt cancels the exchange in progress instead of
// ending the process.
void catch_interrupts();
bool interrupted();
const CancelToken& interrupt_token();

// Standard output takes bytes as they are: CSV rows keep their CR LF and no
// LF becomes CR LF (a no-op on POSIX).
void use_binary_stdout();
