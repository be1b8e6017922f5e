#pragma once
// The port selector's list (IDC_PORT): "COM1" to "COM4" always, then every
// other serial port that the system lists, each once, in numeric order
// (COM2 before COM10); names that are not numbered ports, which some
// drivers of virtual ports use, come last in text order.
//
// The list is filled when the dialog opens, with COM1 selected, and again
// each time the operator drops the selector down while it is enabled (no
// connection, no operation running), so that an adapter plugged in after
// the start appears. The choice in hand stays selected while its port is
// listed; a port that has gone gives way to COM1.
//
// Deliberately left out: names longer than kPortNameMaxChars
// (link/port_name.h), which Connect could not read back whole, and empty
// names.

#include <string>
#include <vector>

#include "app/dialog.h"

// The selector's items for the ports the system lists.
std::vector<std::string> port_choices(const std::vector<std::string>& system_ports);

// The item to select after a refill: the current choice where it is still
// listed, else the first item (COM1).
int port_choice_index(const std::vector<std::string>& choices, const std::string& current_choice);

// Fills the selector from list_serial_ports(), keeping the current choice.
void refresh_port_list(DialogHandle dialog);

// The selector is about to drop down: refreshes it unless it is disabled.
void port_list_dropped_down(DialogHandle dialog);
