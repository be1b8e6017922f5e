#include "tests/fakes/fake_serial_port.h"

#include <cstring>
#include <utility>

namespace {

constexpr std::int64_t kBitsPerByte = 10;
constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
constexpr std::int64_t kLinkTimeoutUs = kLinkTimeoutMs * 1000;

struct FakePortState {
  bool open = false;
  bool refuse_open = false;
  std::string opened_name;
  int open_count = 0;
  int close_count = 0;
  int writes_until_failure = -1;
  int reads_until_failure = -1;
  InstrumentModel* model = nullptr;
  FakeReplySource source;
  // Time is kept as waits plus bytes on the line, converted only when asked
  // for, so that byte times (4166.67 us each) do not round once per call.
  std::int64_t waited_us = 0;
  std::size_t bytes_on_line = 0;
  std::vector<FakeTransfer> transcript;
};

FakePortState port;

// True when the armed failure is due now; counts a call down otherwise.
bool failure_due(int& calls_left) {
  if (calls_left < 0) return false;
  if (calls_left == 0) {
    calls_left = -1;
    return true;
  }
  --calls_left;
  return false;
}

std::string bytes_from_the_line(std::size_t requested) {
  if (port.model) return port.model->take_output(requested);
  if (port.source) {
    std::string reply = port.source(requested);
    if (reply.size() > requested) reply.resize(requested);
    return reply;
  }
  return std::string();
}

// The bytes themselves are counted on the line; this is the time-out part.
std::int64_t read_wait_us(std::size_t requested, std::size_t received) {
  if (received == 0) return kLinkTimeoutUs * static_cast<std::int64_t>(requested + 1);
  return received == requested ? 0 : kLinkTimeoutUs;
}

}  // namespace

void fake_port_reset() { port = FakePortState(); }

void fake_port_attach(InstrumentModel* model) {
  port.model = model;
  port.source = nullptr;
}

void fake_port_attach_source(FakeReplySource source) {
  port.model = nullptr;
  port.source = std::move(source);
}

void fake_port_attach_script(std::vector<std::string> replies) {
  std::size_t next = 0;
  fake_port_attach_source([replies = std::move(replies), next](std::size_t) mutable {
    return next < replies.size() ? replies[next++] : std::string();
  });
}

void fake_port_refuse_open(bool refuse) { port.refuse_open = refuse; }
std::string fake_port_opened_name() { return port.opened_name; }
int fake_port_open_count() { return port.open_count; }
int fake_port_close_count() { return port.close_count; }
void fake_port_fail_write_after(int calls) { port.writes_until_failure = calls; }
void fake_port_fail_read_after(int calls) { port.reads_until_failure = calls; }
std::int64_t fake_port_elapsed_us() { return port.waited_us + fake_port_transmission_us(port.bytes_on_line); }

std::int64_t fake_port_transmission_us(std::size_t byte_count) {
  return static_cast<std::int64_t>(byte_count) * kBitsPerByte * kMicrosecondsPerSecond / kLinkBaudRate;
}

const std::vector<FakeTransfer>& fake_port_transcript() { return port.transcript; }

std::vector<std::string> fake_port_host_writes() {
  std::vector<std::string> writes;
  for (const FakeTransfer& transfer : port.transcript) {
    if (transfer.direction == FakeDirection::host_write) writes.push_back(transfer.bytes);
  }
  return writes;
}

std::string fake_port_host_bytes() {
  std::string joined;
  for (const std::string& write : fake_port_host_writes()) joined += write;
  return joined;
}

std::vector<std::size_t> fake_port_read_requests() {
  std::vector<std::size_t> requests;
  for (const FakeTransfer& transfer : port.transcript) {
    if (transfer.direction == FakeDirection::host_read) requests.push_back(transfer.requested);
  }
  return requests;
}

std::string fake_port_transcript_text() {
  std::string text;
  for (const FakeTransfer& transfer : port.transcript) {
    text += std::to_string(transfer.start_us) + "us ";
    if (transfer.direction == FakeDirection::host_write) {
      text += "write \"" + escaped_wire_text(transfer.bytes) + "\"\n";
    } else {
      text += "read " + std::to_string(transfer.requested) + " -> \"" + escaped_wire_text(transfer.bytes) + "\"\n";
    }
  }
  return text;
}

// --- The serial port seam ---------------------------------------------------

bool serial_port_open(const char* port_name) {
  if (port.refuse_open) return false;
  port.open = true;
  port.opened_name = port_name;
  ++port.open_count;
  return true;
}

void serial_port_close() {
  if (!port.open) return;
  port.open = false;
  ++port.close_count;
}

bool serial_port_is_open() { return port.open; }

bool serial_port_write(const char* bytes, std::size_t count) {
  if (!port.open || failure_due(port.writes_until_failure)) return false;
  port.transcript.push_back({FakeDirection::host_write, std::string(bytes, count), 0, fake_port_elapsed_us()});
  port.bytes_on_line += count;
  if (port.model) port.model->receive(bytes, count);
  return true;
}

int serial_port_read(char* buffer, std::size_t count) {
  if (!port.open || failure_due(port.reads_until_failure)) return -1;
  std::string received = bytes_from_the_line(count);
  port.transcript.push_back({FakeDirection::host_read, received, count, fake_port_elapsed_us()});
  port.bytes_on_line += received.size();
  port.waited_us += read_wait_us(count, received.size());
  if (!received.empty()) std::memcpy(buffer, received.data(), received.size());
  return static_cast<int>(received.size());
}
