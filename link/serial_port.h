#pragma once
// The serial port seam: one open serial device as an object, and the list
// of serial ports that the system knows.
//
// Two implementations follow the same contract, so the link above cannot
// tell which one it talks to: Win32 (serial_port_win32.cpp,
// serial_port_list_win32.cpp) and POSIX (serial_port_posix.cpp,
// serial_port_list_posix.cpp). Either opens the port exclusively with the
// instrument's line settings (2400 baud, 8 data bits, no parity, one stop
// bit, no flow control, DTR and RTS raised) and the link time-outs below;
// destroying the object puts back what it found at open and closes the
// device. The tests use FakeSerialPort, which plays the instrument in
// virtual time by the same time-out rules. Each object is used by one thread
// at a time; several objects may serve several instruments at once.
//
// Time-out rules for a read of n bytes: it ends when n bytes have come, when
// kLinkTimeoutMs pass between two bytes after the first one, or when
// kLinkTimeoutMs * (n + 1) have passed in all. A short count is therefore a
// time-out, never an error; only a failure that the platform reports is one.
//
// Waiting: a read or write that has to wait for the line calls the port's
// wait hook again and again until it ends, at the latest every
// kSerialWaitSliceMs (the dialog dispatches its window messages there, so the
// window keeps answering during a 40 s read). A cancel request on the port's
// token (link/cancel_token.h), made there or from a signal handler or another
// thread, makes the waiting call end within that slice with a failure, and
// every later call fail before it starts. Neither the hook nor a cancel
// changes anything on the wire or any time-out.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/cancel_token.h"

inline constexpr int kLinkTimeoutMs = 400;
inline constexpr int kLinkBaudRate = 2400;
inline constexpr int kSerialWaitSliceMs = 50;

struct SerialPortInfo {
  std::string name;         // what open_serial_port takes: "COM3", "/dev/ttyUSB0"
  std::string description;  // the adapter or driver as the system names it; may be empty
};

// The serial ports that the system lists, in no particular order; on
// Windows possibly with names that are not numbered ports.
std::vector<SerialPortInfo> list_serial_ports();

// Called while a read or write waits; empty for none.
using SerialWaitHook = std::function<void()>;

class SerialPort {
 public:
  // The token must outlive the port.
  SerialPort(const CancelToken& cancel, SerialWaitHook wait_hook)
      : cancel_(cancel), wait_hook_(std::move(wait_hook)) {}
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;
  // Puts back the settings found at open and closes the device.
  virtual ~SerialPort() = default;

  // Writes all bytes. False when the platform reports a failure or a cancel
  // was requested.
  virtual bool write(const char* bytes, std::size_t count) = 0;

  // Reads up to count bytes under the link time-outs. Returns the number of
  // bytes read (fewer than count after a time-out), or -1 when the platform
  // reports a failure or a cancel was requested.
  virtual int read(char* buffer, std::size_t count) = 0;

  // Throws away what has arrived and not been read: the rest of a line whose
  // read was cancelled.
  virtual void discard_input() = 0;

  bool cancel_requested() const { return cancel_.requested(); }

 protected:
  void run_wait_hook() const {
    if (wait_hook_) wait_hook_();
  }

 private:
  const CancelToken& cancel_;
  const SerialWaitHook wait_hook_;
};

enum class PortOpenFailure {
  not_found,      // no such device
  in_use,         // another program holds it
  not_permitted,  // the user may not open it
  other,
};

// An open port, or why there is none.
struct SerialPortOpening {
  std::unique_ptr<SerialPort> port;
  PortOpenFailure failure = PortOpenFailure::other;  // when port is null
};

// Opens and configures the named port ("COM1", "COM12", "/dev/ttyUSB0").
SerialPortOpening open_serial_port(const std::string& port_name, const CancelToken& cancel,
                                   SerialWaitHook wait_hook = nullptr);
