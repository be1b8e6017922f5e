// The serial ports that the system lists, from libserialport: it looks
// through sysfs, so a USB adapter appears while it is plugged in (described
// with its product), and it leaves out the /dev/ttyS* devices that have no
// UART behind them. Pseudo-terminals have no sysfs entry and are never
// listed; the simulator's pty is named by hand.
//
// Only the list comes from libserialport: its 0.1.1 cannot open a
// pseudo-terminal (it looks the port up in sysfs as well), so the port
// itself is plain termios and poll (serial_port_posix.cpp).

#include "link/serial_port.h"

#include <libserialport.h>

std::vector<SerialPortInfo> list_serial_ports() {
  std::vector<SerialPortInfo> ports;
  sp_port** found = nullptr;
  if (sp_list_ports(&found) != SP_OK) return ports;
  for (sp_port** port = found; *port != nullptr; ++port) {
    const char* name = sp_get_port_name(*port);
    if (name == nullptr) continue;
    const char* description = sp_get_port_description(*port);
    ports.push_back({name, description != nullptr ? description : ""});
  }
  sp_free_port_list(found);
  return ports;
}
