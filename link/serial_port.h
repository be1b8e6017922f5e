#pragma once
// The serial port seam: the one port that the program holds open.
//
// The program implements it with Win32 calls (serial_port_win32.cpp): the
// port is opened exclusively by name with the instrument's line settings
// (2400 baud, 8 data bits, no parity, one stop bit, no flow control, DTR and
// RTS raised) and the link time-outs below; the time-outs found at open are
// put back at close. The tests link FakeSerialPort, which plays the
// instrument in virtual time by the same time-out rules.
//
// Time-out rules for a read of n bytes: it ends when n bytes have come, when
// kLinkTimeoutMs pass between two bytes after the first one, or when
// kLinkTimeoutMs * (n + 1) have passed in all. A short count is therefore a
// time-out, never an error; only a failure that the platform reports is one.

#include <cstddef>

inline constexpr int kLinkTimeoutMs = 400;
inline constexpr int kLinkBaudRate = 2400;

// Opens and configures the named port ("COM1"). False when the device could
// not be opened; no port is open then. Called only while no port is open.
bool serial_port_open(const char* port_name);

// Puts the saved time-outs back and closes the port; nothing when none is open.
void serial_port_close();

bool serial_port_is_open();

// Writes all bytes. False when no port is open or the platform reports a failure.
bool serial_port_write(const char* bytes, std::size_t count);

// Reads up to count bytes under the link time-outs. Returns the number of
// bytes read (fewer than count after a time-out), or -1 when no port is open
// or the platform reports a failure.
int serial_port_read(char* buffer, std::size_t count);
