#pragma once
// The console seam of 719k: what the command-line program needs of the
// terminal and of the process's signals, and nothing else.
//
// Implemented with POSIX calls (console_posix.cpp) and with the Windows
// console (console_win32.cpp); the tests link FakeConsole.
//
// A stop request (Ctrl-C or SIGINT; SIGHUP when the terminal closes;
// SIGTERM; on Windows Ctrl-C, Ctrl-Break and closing the console) requests
// a cancel on the interrupt token, which every port that a command opens
// watches, so the exchange in progress ends at once without sending anything
// more, and records which stop it was; the program then writes what it has,
// closes the port and exits with the stop's code. Nothing else is done in
// the handler. The token and the stop are the program's only process-wide
// state, the one that a signal handler needs.

#include "link/cancel_token.h"

bool stdin_is_terminal();
bool stderr_is_terminal();

// From now on a stop request cancels the exchange in progress instead of
// ending the process.
void catch_interrupts();
bool interrupted();
// The exit code of the stop request that came (kExitInterrupted,
// kExitHangup or kExitTerminated); 0 while none came.
int interrupt_exit_code();
const CancelToken& interrupt_token();

// Standard output takes bytes as they are: CSV rows keep their CR LF and no
// LF becomes CR LF (a no-op on POSIX).
void use_binary_stdout();
