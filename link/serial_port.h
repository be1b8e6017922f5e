#pragma once
// The serial port seam: the one port that the program holds open, and the
// list of serial ports that the system knows.
//
// The program implements it with Win32 calls (serial_port_win32.cpp and
// serial_port_names_win32.cpp): the port is opened exclusively, for
// overlapped I/O, with the instrument's line settings (2400 baud, 8 data
// bits, no parity, one stop bit, no flow control, DTR and RTS raised) and the
// link time-outs below; the time-outs found at open are put back at close.
// The tests link FakeSerialPort, which plays the instrument in virtual time
// by the same time-out rules.
//
// Time-out rules for a read of n bytes: it ends when n bytes have come, when
// kLinkTimeoutMs pass between two bytes after the first one, or when
// kLinkTimeoutMs * (n + 1) have passed in all. A short count is therefore a
// time-out, never an error; only a failure that the platform reports is one.
//
// Waiting: a read or write that has to wait for the line calls the wait hook
// again and again until it ends (the program dispatches its window messages
// there, so the window keeps answering during a 40 s read). A cancel request
// (link/link_cancel.h) makes the waiting call end at once with a failure,
// and every later call fail before it starts. Neither the hook nor a cancel
// changes anything on the wire or any time-out.

#include <cstddef>
#include <string>
#include <vector>

inline constexpr int kLinkTimeoutMs = 400;
inline constexpr int kLinkBaudRate = 2400;

// The serial ports that the system lists, by name ("COM3"), in no
// particular order and possibly with names that are not numbered ports.
std::vector<std::string> serial_port_names();

// Opens and configures the named port ("COM1", "COM12"). False when the
// device could not be opened; no port is open then. Called only while no
// port is open.
bool serial_port_open(const char* port_name);

// Puts the saved time-outs back and closes the port; nothing when none is open.
void serial_port_close();

bool serial_port_is_open();

// Writes all bytes. False when no port is open, the platform reports a
// failure, or a cancel was requested.
bool serial_port_write(const char* bytes, std::size_t count);

// Reads up to count bytes under the link time-outs. Returns the number of
// bytes read (fewer than count after a time-out), or -1 when no port is
// open, the platform reports a failure, or a cancel was requested.
int serial_port_read(char* buffer, std::size_t count);

// Throws away what has arrived and not been read: the rest of a line whose
// read was cancelled. Nothing when no port is open.
void serial_port_discard_input();

// Called while a read or write waits; nullptr for none.
using SerialWaitHook = void (*)();
void set_serial_wait_hook(SerialWaitHook hook);
