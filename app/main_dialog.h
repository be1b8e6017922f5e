#pragma once
// The main dialog: the program's only window, run modally until the
// operator quits or closes it.
//
// Its procedure only routes: commands and the close box go to
// app/operation.h, which runs each button's handler one at a time, and the
// port selector's drop-down refreshes the port list (app/port_list.h).
// Besides routing it sets the edits' typing limits when the dialog opens and
// dispatches the dialog's messages while a serial call waits. It
// deliberately does nothing on a resize: the controls keep their template
// positions.

// Runs dialog template 1001 under the program's instance (an HINSTANCE) and
// returns its end code, or -1 when the dialog cannot be created.
int run_main_dialog(void* program_instance);
