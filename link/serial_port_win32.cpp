// The serial port seam with Win32 calls: one handle opened for overlapped
// I/O, so that the program's only thread can dispatch window messages while
// a read or write waits for the line.
//
// Open takes the port exclusively by its device path (link/port_name.h),
// saves the time-outs it finds, applies the link time-outs and the
// instrument's line settings; close puts the saved time-outs back. Once
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

#include "link/link_cancel.h"
#include "link/port_name.h"

namespace {

HANDLE g_port = INVALID_HANDLE_VALUE;
// Signalled when the call in progress ends; there is never more than one.
HANDLE g_call_done = nullptr;
COMMTIMEOUTS g_saved_timeouts{};
SerialWaitHook g_wait_hook = nullptr;
PortOpenFailure g_open_failure = PortOpenFailure::none;

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

bool ready_for_call() { return g_port != INVALID_HANDLE_VALUE && !link_cancel_requested(); }

OVERLAPPED new_call() {
  OVERLAPPED call{};
  call.hEvent = g_call_done;  // ReadFile and WriteFile reset it as they start
  return call;
}

// A pending call keeps writing into its buffer and its OVERLAPPED until it
// has ended, so an abandoned call is cancelled and then waited for, without
// dispatching anything, before either goes out of scope.
void abandon_call(OVERLAPPED& call) {
  CancelIo(g_port);
  DWORD ignored = 0;
  GetOverlappedResult(g_port, &call, &ignored, TRUE);
}

// A read that runs into its time-out ends with the success status
// STATUS_TIMEOUT. Windows reports that as success; Wine's
// GetOverlappedResult reports it as a failure with ERROR_TIMEOUT (measured:
// a 1-byte read of a silent line, 800 ms, no byte). Either way it is a
// time-out with the count read so far, which is no failure of the port.
bool call_succeeded(OVERLAPPED& call, DWORD& transferred) {
  return GetOverlappedResult(g_port, &call, &transferred, FALSE) != FALSE || GetLastError() == ERROR_TIMEOUT;
}

// Waits for a started call. False when it failed or was cancelled.
bool finish_call(OVERLAPPED& call, DWORD& transferred) {
  for (;;) {
    if (link_cancel_requested()) {
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
    if (g_wait_hook) g_wait_hook();
  }
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

}  // namespace

bool serial_port_open(const char* port_name) {
  g_open_failure = PortOpenFailure::other;
  g_call_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!g_call_done) return false;
  HANDLE port = CreateFileA(device_path_for_port(port_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    g_open_failure = open_failure_of(GetLastError());
    CloseHandle(g_call_done);
    g_call_done = nullptr;
    return false;
  }
  g_port = port;

  GetCommTimeouts(g_port, &g_saved_timeouts);
  COMMTIMEOUTS timeouts = link_timeouts();
  SetCommTimeouts(g_port, &timeouts);

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(g_port, &dcb);
  apply_line_settings(dcb);
  SetCommState(g_port, &dcb);
  g_open_failure = PortOpenFailure::none;
  return true;
}

PortOpenFailure serial_port_open_failure() { return g_open_failure; }

void serial_port_close() {
  if (g_port == INVALID_HANDLE_VALUE) return;
  SetCommTimeouts(g_port, &g_saved_timeouts);
  CloseHandle(g_port);
  CloseHandle(g_call_done);
  g_port = INVALID_HANDLE_VALUE;
  g_call_done = nullptr;
}

bool serial_port_is_open() { return g_port != INVALID_HANDLE_VALUE; }

bool serial_port_write(const char* bytes, std::size_t count) {
  if (!ready_for_call()) return false;
  OVERLAPPED call = new_call();
  DWORD written = 0;
  if (!call_started(WriteFile(g_port, bytes, static_cast<DWORD>(count), nullptr, &call))) return false;
  return finish_call(call, written);
}

int serial_port_read(char* buffer, std::size_t count) {
  if (!ready_for_call()) return -1;
  OVERLAPPED call = new_call();
  DWORD received = 0;
  if (!call_started(ReadFile(g_port, buffer, static_cast<DWORD>(count), nullptr, &call))) return -1;
  if (!finish_call(call, received)) return -1;
  return static_cast<int>(received);
}

void serial_port_discard_input() {
  if (g_port != INVALID_HANDLE_VALUE) PurgeComm(g_port, PURGE_RXCLEAR);
}

void set_serial_wait_hook(SerialWaitHook hook) { g_wait_hook = hook; }
