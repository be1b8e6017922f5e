#pragma once
// Connecting to the instrument and disconnecting from it.
//
// Connect opens the chosen port (its name read with room for
// kPortNameMaxChars characters, link/port_name.h), asks for the firmware
// version and shows it with the instrument's clock; only the version query
// decides whether the dialog goes into the connected state. A port that
// cannot be opened gets its "Port Unavailable" box here (the link shows
// nothing), after which the ordinary failure path runs without a query.
// Disconnect closes the port and sends nothing.
//
// The connection state is nothing but the open port (app/dialog_connection.h)
// and the enable sets below: this module keeps no state of its own. It deliberately leaves
// Export Log and Print Log alone (a download enables them for good), and
// neither operation clears a field.

#include "app/dialog.h"

void connect_instrument(DialogHandle dialog);
void disconnect_instrument(DialogHandle dialog);
