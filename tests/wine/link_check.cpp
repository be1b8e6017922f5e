// The instrument link through the Win32 serial port, checked under Wine
// against instrument-sim: COM1 leads to the simulator's pty, COM2 to a path
// that cannot be opened.
//
//   link_check <state file>
//
// The state file is the one the simulator was started with; the expected
// answers come from the same instrument model that the simulator plays, so
// nothing here restates the instrument's texts. Prints one line per check
// and exits 1 when any failed.
//
// What it does not check: the budgets and retries, which the native
// transcript tests cover in virtual time; here only the real port's
// behaviour (open, line settings, time-outs, blocking reads) is new.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "link/command_vocabulary.h"
#include "link/instrument_link.h"
#include "link/log_transfer.h"
#include "link/serial_port.h"
#include "tools/instrument_model.h"
#include "tools/instrument_state_file.h"

namespace {

// A 1-byte read that gets nothing returns after 400 + 400 ms; these bounds
// leave room for a loaded machine but catch time-outs that were not applied
// (the read would block) or applied as zero (it would return at once).
constexpr ULONGLONG kEmptyReadMinMs = 700;
constexpr ULONGLONG kEmptyReadMaxMs = 2500;
constexpr const char* kInstrumentPort = "COM1";
constexpr const char* kUnavailablePort = "COM2";
constexpr const char* kNewUserId = "4321";
// Where the user id begins in the response line of "GET USER ID".
constexpr std::size_t kUserIdPosition = 17;

int g_failures = 0;

void check(bool passed, const std::string& what, const std::string& detail = {}) {
  std::printf("%s %s%s%s\n", passed ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
  if (!passed) ++g_failures;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Leaves the pty with settings unlike the instrument's, so that the check
// after the open sees what the open itself set.
void scramble_line_settings(const char* port) {
  HANDLE handle = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(handle, &dcb);
  dcb.BaudRate = 9600;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fOutxCtsFlow = TRUE;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  dcb.fOutX = TRUE;
  dcb.fInX = TRUE;
  SetCommState(handle, &dcb);
  CloseHandle(handle);
}

// Wine does not enforce exclusive opens across handles, so a second handle
// shows the line settings that the port's open put on the pty.
void check_line_settings(const char* port) {
  HANDLE handle = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const bool read = handle != INVALID_HANDLE_VALUE && GetCommState(handle, &dcb);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  char detail[160];
  std::snprintf(detail, sizeof detail, "%lu baud, %u data bits, parity %u, stop bits %u, cts %u, xon %u/%u",
                static_cast<unsigned long>(dcb.BaudRate), dcb.ByteSize, dcb.Parity, dcb.StopBits,
                dcb.fOutxCtsFlow, dcb.fOutX, dcb.fInX);
  check(read && dcb.BaudRate == kLinkBaudRate && dcb.ByteSize == 8 && dcb.Parity == NOPARITY &&
            dcb.StopBits == ONESTOPBIT && !dcb.fOutxCtsFlow && !dcb.fOutX && !dcb.fInX,
        "the open sets 2400 baud, 8N1, no flow control", detail);
}

void check_unavailable_port(const CancelToken& cancel) {
  const SerialPortOpening opening = open_serial_port(kUnavailablePort, cancel);
  check(!opening.port && opening.failure == PortOpenFailure::in_use,
        "a port that cannot be opened reports why and gives no port");
}

void check_transactions(InstrumentLink& link, const InstrumentModel& instrument) {
  const char* version_text = command_text(Command::get_version_number);
  const TransactionResult version = link.query(version_text);
  const std::string expected = instrument.response_line(version_text);
  check(version.succeeded() && version.response_line == expected, "query " + quoted(version_text),
        quoted(version.response_line) + ", expected " + quoted(expected));

  const std::string order_text = std::string(command_text(Command::set_user_id)) + kNewUserId;
  check(link.order(order_text).succeeded(), "order " + quoted(order_text) + " is confirmed");

  const std::string user_id = link.query(command_text(Command::get_user_id)).response_line;
  check(user_id.size() > kUserIdPosition && user_id.substr(kUserIdPosition) == kNewUserId,
        "the instrument holds the ordered value", quoted(user_id));
}

void check_empty_read(SerialPort& port) {
  char byte = 0;
  const ULONGLONG started = GetTickCount64();
  const int count = port.read(&byte, 1);
  const ULONGLONG elapsed = GetTickCount64() - started;
  check(count == 0 && elapsed >= kEmptyReadMinMs && elapsed <= kEmptyReadMaxMs,
        "a 1-byte read with nothing coming returns empty after the link time-outs",
        std::to_string(count) + " bytes after " + std::to_string(elapsed) + " ms");
}

void check_log_transfer(InstrumentLink& link, const InstrumentState& state) {
  int exchanges = 0;
  const LogTransferResult result = link.transfer_log([&exchanges](std::size_t) { ++exchanges; });
  check(result.failure == LinkFailure::none, "the log transfer reaches the end of the log");
  const std::size_t lines = state.log_lines.size();
  check(exchanges == static_cast<int>(lines) + 1, "one line exchange per line and one for EOT",
        std::to_string(exchanges) + " exchanges");
  check(result.lines == state.log_lines, "every log line comes as the instrument sent it",
        std::to_string(result.lines.size()) + " of " + std::to_string(lines));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: link_check <state file>\n");
    return 2;
  }
  InstrumentModel instrument;
  std::string error;
  if (!load_instrument_state(argv[1], instrument.state, error)) {
    std::fprintf(stderr, "link_check: %s\n", error.c_str());
    return 2;
  }

  CancelToken cancel;
  check_unavailable_port(cancel);

  scramble_line_settings(kInstrumentPort);
  std::unique_ptr<SerialPort> port = open_serial_port(kInstrumentPort, cancel).port;
  check(port != nullptr, "COM1 opens");
  if (port) {
    check_line_settings(kInstrumentPort);
    InstrumentLink link(*port);
    check_transactions(link, instrument);
    check_empty_read(*port);
    check_log_transfer(link, instrument.state);
  }
  port.reset();
  check(open_serial_port(kInstrumentPort, cancel).port != nullptr, "the port opens again after close");

  std::printf("%s\n", g_failures ? "link_check: FAILED" : "link_check: all passed");
  return g_failures ? 1 : 0;
}
