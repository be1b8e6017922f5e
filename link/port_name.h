#pragma once
// Serial port names as the system lists them ("COM1", "COM12"), their order,
// and the device path that opens each.
//
// A numbered port is "COM" followed by its number (no leading zero); the
// number orders the port list, so COM2 comes before COM10. Windows resolves
// the plain names COM1 to COM9 by itself; every other name, COM10 upward
// included, opens only through the device namespace ("\\.\COM10").
//
// Nothing here asks which ports exist: list_serial_ports() in
// link/serial_port.h does.

#include <cstddef>
#include <string>

// The longest port name the port selector hands to Connect ("COM256").
inline constexpr std::size_t kPortNameMaxChars = 6;

// The number of a numbered port ("COM12" gives 12), 0 for any other name.
int com_port_number(const std::string& name);

// What the open passes to the system for a port name: the name itself for
// COM1 to COM9, the name behind the device namespace prefix otherwise.
std::string device_path_for_port(const std::string& name);
