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
#include <string>

#include "link/commands.h"
#include "link/log_store.h"
#include "link/log_transfer.h"
#include "link/serial_port.h"
#include "link/transaction.h"
#include "tools/instrument_model.h"
#include "tools/instrument_state_file.h"

namespace {

// A 1-byte read that gets nothing returns after 400 + 400 ms; these bounds
// leave room for a loaded machine but catch time-outs that were not applied
// (the read would block) or applied as zero (it would return at once).
constexpr ULONGLONG kEmptyReadMinMs = 700;
constexpr ULONGLONG kEmptyReadMaxMs = 2500;
// A transaction without a port must fail without waiting for any time-out.
constexpr ULONGLONG kNoPortMaxMs = 100;
constexpr const char* kInstrumentPort = "COM1";
constexpr const char* kUnavailablePort = "COM2";
constexpr const char* kNewUserId = "4321";

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

void check_unavailable_port() {
  check(!serial_port_open(kUnavailablePort) && !serial_port_is_open(),
        "a port that cannot be opened reports failure and leaves no port open");
  const ULONGLONG started = GetTickCount64();
  const char* result = query(command_text(Command::get_version_number));
  const ULONGLONG elapsed = GetTickCount64() - started;
  check(transaction_failed(result) && elapsed <= kNoPortMaxMs, "without a port a query fails at once",
        std::to_string(elapsed) + " ms");
}

void check_transactions(const InstrumentModel& instrument) {
  const char* version_text = command_text(Command::get_version_number);
  const char* version = query(version_text);
  const std::string expected = instrument.response_line(version_text);
  check(!transaction_failed(version) && version == expected, "query " + quoted(version_text),
        quoted(version) + ", expected " + quoted(expected));

  const std::string order_text = std::string(command_text(Command::set_user_id)) + kNewUserId;
  const char* ordered = order(order_text.c_str());
  check(ordered == order_text.c_str(), "order " + quoted(order_text) + " returns its own text");

  const int position = value_position(Command::get_user_id);
  const std::string user_id = query(command_text(Command::get_user_id));
  check(user_id.size() > static_cast<std::size_t>(position) && user_id.substr(position) == kNewUserId,
        "the instrument holds the ordered value", quoted(user_id));
}

void check_empty_read() {
  char byte = 0;
  const ULONGLONG started = GetTickCount64();
  const int count = serial_port_read(&byte, 1);
  const ULONGLONG elapsed = GetTickCount64() - started;
  check(count == 0 && elapsed >= kEmptyReadMinMs && elapsed <= kEmptyReadMaxMs,
        "a 1-byte read with nothing coming returns empty after the link time-outs",
        std::to_string(count) + " bytes after " + std::to_string(elapsed) + " ms");
}

std::string stored_form(const std::string& received) {
  if (received == kReceivedBanner) return kBannerLine;
  if (received == kShortColumnHeader) return kLongColumnHeader;
  return received;
}

void check_log_transfer(const InstrumentState& state) {
  int exchanges = 0;
  const char* result = run_log_transfer([&exchanges](std::size_t) { ++exchanges; });
  check(result == std::string(kTransferDone), "the log transfer ends with Done", result);
  const std::size_t lines = state.log_lines.size();
  check(exchanges == static_cast<int>(lines) + 1, "one line exchange per line and one for EOT",
        std::to_string(exchanges) + " exchanges");
  check(log_store_line_count() == lines, "the store holds every log line",
        std::to_string(log_store_line_count()) + " of " + std::to_string(lines));
  for (std::size_t i = 0; i < lines && i < log_store_line_count(); ++i) {
    const std::string expected = stored_form(state.log_lines[i]);
    if (log_store_line(i) != expected)
      check(false, "log line " + std::to_string(i),
            quoted(log_store_line(i)) + ", expected " + quoted(expected));
  }
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

  check_unavailable_port();

  scramble_line_settings(kInstrumentPort);
  check(serial_port_open(kInstrumentPort) && serial_port_is_open(), "COM1 opens");
  check_line_settings(kInstrumentPort);
  check_transactions(instrument);
  check_empty_read();
  check_log_transfer(instrument.state);

  serial_port_close();
  check(!serial_port_is_open() && transaction_failed(query(command_text(Command::get_version_number))),
        "after close no port is open and a query fails");
  serial_port_close();
  check(!serial_port_is_open(), "a second close does nothing");
  check(serial_port_open(kInstrumentPort), "the port opens again after close");
  serial_port_close();

  std::printf("%s\n", g_failures ? "link_check: FAILED" : "link_check: all passed");
  return g_failures ? 1 : 0;
}
