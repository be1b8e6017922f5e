#pragma once
// The main dialog: the program's only window, run modally until the
// operator quits or closes it.
//
// Its procedure only routes: each button's command goes to the one handler
// that its module declares (Connect and Disconnect in app/connection.h, the
// settings, the clock, the log operations in theirs). Besides routing it
// sets the edits' typing limits and fills the port selector when the dialog
// opens, and ends the dialog on Quit (code 1) and on the close box (code 0),
// closing the port first. It deliberately does nothing on a resize: the
// controls keep their template positions.

// Runs dialog template 1001 under the program's instance (an HINSTANCE) and
// returns its end code, or -1 when the dialog cannot be created.
int run_main_dialog(void* program_instance);
