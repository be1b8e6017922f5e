// The serial port seam with Win32 calls: one handle opened for overlapped
// I/O, so that the program's only thread can dispatch window messages while
// a read or write waits for the line.
//
// Open takes the port exclusively by its device path (link/port_name.h),
// saves the time-outs it finds, applies the link time-outs and the
// instrument's line settings; destroying the port puts the saved time-outs
// back. Once
// CreateFileA has succeeded the open counts as done: a time-out or
// line-setting call that fails leaves the port as it is, and the exchanges
// on it report their own failures. No message boxes here: Connect tells the
// operator when the port is unavailable.
//
// Each read and write is started overlapped and then waited for in
// MsgWaitForMultipleObjects, which wakes for the call's end, for every
// message that arrives (the wait hook dispatches those) and every
// kSerialWaitSliceMs to look for a cancel that came from elsewhere (the
// console program's Ctrl-C handler runs on a thread of its own). The port's
// time-outs govern overlapped calls exactly as blocking ones (measured under
// Wine: a 1-byte read of a silent line still returns after 800 ms, a 3-byte
// one after 1,600 ms), so every wait and every byte on the wire stays as it
// was with a blocking handle.

#include "link/serial_port.h"

#include <windows.h>

#include <utility>

#include "link/port_name.h"

namespace {

// Every field at kLinkTimeoutMs: a read of n bytes ends at n bytes, at a
// pause of 400 ms after the first byte, or after 400 * n + 400 ms in all.
COMMTIMEOUTS link_timeouts() {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = kLinkTimeoutMs;
  timeouts.ReadTotalTimeoutMultiplier = kLinkTimeoutMs;
  timeouts.ReadTotalTimeoutConstant = kLinkTimeoutMs;
  timeouts.WriteTotalTimeoutMultiplier = kLinkTimeoutMs;
  timeouts.WriteTotalTimeoutConstant = kLinkTimeoutMs;
  return timeouts;
}

// 2400 8N1, no flow control of any kind, DTR and RTS raised. Only these
// fields change; the rest (fBinary, the special characters) stay as the
// driver reported them. XonLim and XoffLim matter only with input flow
// control, which stays off; they get the instrument's customary values.
void apply_line_settings(DCB& dcb) {
  dcb.BaudRate = kLinkBaudRate;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  dcb.XonLim = 1;
  dcb.XoffLim = 40;
  dcb.EofChar = 0;
}

// A call that completes at once still signals its event, so both ways of
// starting end in finish_call.
bool call_started(BOOL result) { return result != FALSE || GetLastError() == ERROR_IO_PENDING; }

// Windows answers a port that another program holds with access denied;
// Wine does the same for a port mapped to a directory.
PortOpenFailure open_failure_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return PortOpenFailure::not_found;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return PortOpenFailure::in_use;
    default: return PortOpenFailure::other;
  }
}

class Win32SerialPort final : public SerialPort {
 public:
  Win32SerialPort(HANDLE device, HANDLE call_done, const COMMTIMEOUTS& found, const CancelToken& cancel,
                  SerialWaitHook wait_hook)
      : SerialPort(cancel, std::move(wait_hook)), device_(device), call_done_(call_done), saved_timeouts_(found) {}

  ~Win32SerialPort() override {
    SetCommTimeouts(device_, &saved_timeouts_);
    CloseHandle(device_);
    CloseHandle(call_done_);
  }

  bool write(const char* bytes, std::size_t count) override {
    if (cancel_requested()) return false;
    OVERLAPPED call = new_call();
    DWORD written = 0;
    if (!call_started(WriteFile(device_, bytes, static_cast<DWORD>(count), nullptr, &call))) return false;
    return finish_call(call, written);
  }

  int read(char* buffer, std::size_t count) override {
    if (cancel_requested()) return -1;
    OVERLAPPED call = new_call();
    DWORD received = 0;
    if (!call_started(ReadFile(device_, buffer, static_cast<DWORD>(count), nullptr, &call))) return -1;
    if (!finish_call(call, received)) return -1;
    return static_cast<int>(received);
  }

  void discard_input() override { PurgeComm(device_, PURGE_RXCLEAR); }

 private:
  OVERLAPPED new_call() const {
    OVERLAPPED call{};
    call.hEvent = call_done_;  // ReadFile and WriteFile reset it as they start
    return call;
  }

  // A pending call keeps writing into its buffer and its OVERLAPPED until it
  // has ended, so an abandoned call is cancelled and then waited for, without
  // dispatching anything, before either goes out of scope.
  void abandon_call(OVERLAPPED& call) {
    CancelIo(device_);
    DWORD ignored = 0;
    GetOverlappedResult(device_, &call, &ignored, TRUE);
  }

  // A read that runs into its time-out ends with the success status
  // STATUS_TIMEOUT. Windows reports that as success; Wine's
  // GetOverlappedResult reports it as a failure with ERROR_TIMEOUT (measured:
  // a 1-byte read of a silent line, 800 ms, no byte). Either way it is a
  // time-out with the count read so far, which is no failure of the port.
  bool call_succeeded(OVERLAPPED& call, DWORD& transferred) {
    return GetOverlappedResult(device_, &call, &transferred, FALSE) != FALSE || GetLastError() == ERROR_TIMEOUT;
  }

  // Waits for a started call. False when it failed or was cancelled.
  bool finish_call(OVERLAPPED& call, DWORD& transferred) {
    for (;;) {
      if (cancel_requested()) {
        abandon_call(call);
        return false;
      }
      DWORD woke = MsgWaitForMultipleObjects(1, &call.hEvent, FALSE, kSerialWaitSliceMs, QS_ALLINPUT);
      if (woke == WAIT_OBJECT_0) return call_succeeded(call, transferred);
      if (woke == WAIT_TIMEOUT) continue;
      if (woke != WAIT_OBJECT_0 + 1) {
        abandon_call(call);
        return false;
      }
      run_wait_hook();
    }
  }

  const HANDLE device_;
  // Signalled when the call in progress ends; there is never more than one.
  const HANDLE call_done_;
  COMMTIMEOUTS saved_timeouts_;  // not const: SetCommTimeouts takes a pointer to a mutable record
};

}  // namespace

SerialPortOpening open_serial_port(const std::string& port_name, const CancelToken& cancel,
                                   SerialWaitHook wait_hook) {
  HANDLE call_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!call_done) return {nullptr, PortOpenFailure::other};
  HANDLE device = CreateFileA(device_path_for_port(port_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    const PortOpenFailure failure = open_failure_of(GetLastError());
    CloseHandle(call_done);
    return {nullptr, failure};
  }
  COMMTIMEOUTS found{};
  GetCommTimeouts(device, &found);
  COMMTIMEOUTS timeouts = link_timeouts();
  SetCommTimeouts(device, &timeouts);

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(device, &dcb);
  apply_line_settings(dcb);
  SetCommState(device, &dcb);
  return {std::make_unique<Win32SerialPort>(device, call_done, found, cancel, std::move(wait_hook)),
          PortOpenFailure::other};
}
