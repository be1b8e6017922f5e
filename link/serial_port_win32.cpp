// The serial port seam with Win32 calls: one blocking, non-overlapped handle.
//
// Open takes the port exclusively by name, saves the time-outs it finds,
// applies the link time-outs and the instrument's line settings; close puts
// the saved time-outs back. Once CreateFileA has succeeded the open counts as
// done: a time-out or line-setting call that fails leaves the port as it is,
// and the exchanges on it report their own failures. No message boxes here:
// Connect tells the operator when the port is unavailable.

#include "link/serial_port.h"

#include <windows.h>

namespace {

HANDLE g_port = INVALID_HANDLE_VALUE;
COMMTIMEOUTS g_saved_timeouts{};

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

}  // namespace

bool serial_port_open(const char* port_name) {
  // The plain device name ("COM1"), no "\\.\" prefix: the program offers
  // only COM1 to COM4, which Windows resolves without it.
  HANDLE port = CreateFileA(port_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (port == INVALID_HANDLE_VALUE) return false;
  g_port = port;

  GetCommTimeouts(g_port, &g_saved_timeouts);
  COMMTIMEOUTS timeouts = link_timeouts();
  SetCommTimeouts(g_port, &timeouts);

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(g_port, &dcb);
  apply_line_settings(dcb);
  SetCommState(g_port, &dcb);
  return true;
}

void serial_port_close() {
  if (g_port == INVALID_HANDLE_VALUE) return;
  SetCommTimeouts(g_port, &g_saved_timeouts);
  CloseHandle(g_port);
  g_port = INVALID_HANDLE_VALUE;
}

bool serial_port_is_open() { return g_port != INVALID_HANDLE_VALUE; }

bool serial_port_write(const char* bytes, std::size_t count) {
  if (g_port == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(g_port, bytes, static_cast<DWORD>(count), &written, nullptr) != FALSE;
}

int serial_port_read(char* buffer, std::size_t count) {
  if (g_port == INVALID_HANDLE_VALUE) return -1;
  DWORD received = 0;
  if (!ReadFile(g_port, buffer, static_cast<DWORD>(count), &received, nullptr)) return -1;
  return static_cast<int>(received);
}
