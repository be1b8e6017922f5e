#pragma once
// The dialog's one connection to an instrument: the open serial port and the
// instrument on it, the cancel token that Download Log's Cancel, Escape and
// the close box request, and the wait hook that keeps the window answering
// while the line is waited for.
//
// The dialog is the only owner, and its procedure and wait hook reach these
// from wherever the system calls them, so they live here for the whole run:
// the one piece of process-wide state of the connection. Every operation
// takes the instrument from here; nothing below the front end keeps a port.

#include <string>

#include "instrument/instrument.h"
#include "link/cancel_token.h"
#include "link/serial_port.h"

// Opens the named port for the connection (none must be open). False when
// the port could not be opened; nothing is open then.
bool open_dialog_connection(const std::string& port_name);
// Closes the port, putting back its settings; nothing when none is open.
void close_dialog_connection();
bool dialog_connected();

// The instrument on the open port. Only while connected.
Instrument& dialog_instrument();

// Throws away what the line still brings of an abandoned exchange; nothing
// while disconnected.
void discard_dialog_input();

CancelToken& dialog_cancel();

// Runs while a read or write waits (the dialog procedure dispatches its
// messages there); nullptr for none. Takes effect at once, also for a port
// already open.
void set_dialog_wait_hook(void (*hook)());
