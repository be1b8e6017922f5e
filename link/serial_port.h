#pragma once
// The serial port seam: the one port that the program holds open, and the
// list of serial ports that the system knows.
//
// Two implementations follow the same contract, so the link above cannot
// tell which one it talks to: Win32 (serial_port_win32.cpp,
// serial_port_list_win32.cpp) and POSIX (serial_port_posix.cpp,
// serial_port_list_posix.cpp). Either opens the port exclusively with the
// instrument's line settings (2400 baud, 8 data bits, no parity, one stop
// bit, no flow control, DTR and RTS raised) and the link time-outs below,
// and puts back at close what it found at open. The tests link
// FakeSerialPort, which plays the instrument in virtual time by the same
// time-out rules.
//
// Time-out rules for a read of n bytes: it ends when n bytes have come, when
// kLinkTimeoutMs pass between two bytes after the first one, or when
// kLinkTimeoutMs * (n + 1) have passed in all. A short count is therefore a
// time-out, never an error; only a failure that the platform reports is one.
//
// Waiting: a read or write that has to wait for the line calls the wait hook
// again and again until it ends, at the latest every kSerialWaitSliceMs (the
// dialog dispatches its window messages there, so the window keeps answering
// during a 40 s read). A cancel request (link/link_cancel.h), made there or
// from a signal handler or another thread, makes the waiting call end within
// that slice with a failure, and every later call fail before it starts.
// Neither the hook nor a cancel changes anything on the wire or any time-out.

#include <cstddef>
#include <string>
#include <vector>

inline constexpr int kLinkTimeoutMs = 400;
inline constexpr int kLinkBaudRate = 2400;
inline constexpr int kSerialWaitSliceMs = 50;

struct SerialPortInfo {
  std::string name;         // what serial_port_open takes: "COM3", "/dev/ttyUSB0"
  std::string description;  // the adapter or driver as the system names it; may be empty
};

// The serial ports that the system lists, in no particular order; on
// Windows possibly with names that are not numbered ports.
std::vector<SerialPortInfo> list_serial_ports();

// Opens and configures the named port ("COM1", "COM12", "/dev/ttyUSB0").
// False when the device could not be opened; no port is open then, and
// serial_port_open_failure says why. Called only while no port is open.
bool serial_port_open(const char* port_name);

enum class PortOpenFailure {
  none,           // the last open succeeded
  not_found,      // no such device
  in_use,         // another program holds it
  not_permitted,  // the user may not open it
  other,
};
PortOpenFailure serial_port_open_failure();

// Puts back the settings found at open and closes the port; nothing when none
// is open.
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
