#include "tests/fakes/fake_serial_port.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "link/link_cancel.h"

namespace {

constexpr std::int64_t kBitsPerByte = 10;
constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
constexpr std::int64_t kLinkTimeoutUs = kLinkTimeoutMs * 1000;

struct FakePortState {
  bool open = false;
  bool refuse_open = false;
  PortOpenFailure open_failure = PortOpenFailure::none;
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
  SerialWaitHook wait_hook = nullptr;
  std::function<void()> wait_action;  // what fake_port_on_wait installed
  // During a wait hook: the moment it is called at; -1 otherwise.
  std::int64_t hook_moment_us = -1;
  // Bytes on their way that a cancelled read did not take.
  std::string unread;
  std::vector<std::string> system_names;
  int discard_count = 0;
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

std::string new_bytes(std::size_t requested) {
  if (port.model) return port.model->take_output(requested);
  if (port.source) {
    std::string reply = port.source(requested);
    if (reply.size() > requested) reply.resize(requested);
    return reply;
  }
  return std::string();
}

std::string bytes_from_the_line(std::size_t requested) {
  std::string bytes = port.unread.substr(0, requested);
  port.unread.erase(0, bytes.size());
  if (bytes.size() < requested) bytes += new_bytes(requested - bytes.size());
  return bytes;
}

// Calls the wait hook at each hook moment from start_us up to, not
// including, end_us: calls follow one another without a gap, so every
// moment falls into exactly one call. Returns the moment at which a cancel
// ended the call, or -1 when it ran to its end.
std::int64_t wait_through(std::int64_t start_us, std::int64_t end_us) {
  if (!port.wait_hook) return -1;
  const std::int64_t first_moment =
      (start_us + kFakeWaitHookIntervalUs - 1) / kFakeWaitHookIntervalUs * kFakeWaitHookIntervalUs;
  for (std::int64_t moment = first_moment; moment < end_us; moment += kFakeWaitHookIntervalUs) {
    port.hook_moment_us = moment;
    port.wait_hook();
    port.hook_moment_us = -1;
    if (link_cancel_requested()) return moment;
  }
  return -1;
}

// Sets the clock to a moment inside the call in progress.
void clock_to(std::int64_t moment_us) {
  port.waited_us = moment_us - fake_port_transmission_us(port.bytes_on_line);
}

bool call_refused(int& calls_until_failure) {
  return !port.open || link_cancel_requested() || failure_due(calls_until_failure);
}

// The bytes themselves are counted on the line; this is the time-out part.
std::int64_t read_wait_us(std::size_t requested, std::size_t received) {
  if (received == 0) return kLinkTimeoutUs * static_cast<std::int64_t>(requested + 1);
  return received == requested ? 0 : kLinkTimeoutUs;
}

}  // namespace

void fake_port_reset() {
  port = FakePortState();
  link_cancel_clear();
}

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
void fake_port_on_wait(std::function<void()> action) {
  port.wait_action = std::move(action);
  set_serial_wait_hook(port.wait_action ? [] { port.wait_action(); } : SerialWaitHook{nullptr});
}

void fake_port_set_system_names(std::vector<std::string> names) { port.system_names = std::move(names); }
int fake_port_discard_count() { return port.discard_count; }

std::int64_t fake_port_elapsed_us() {
  if (port.hook_moment_us >= 0) return port.hook_moment_us;
  return port.waited_us + fake_port_transmission_us(port.bytes_on_line);
}

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

std::vector<SerialPortInfo> list_serial_ports() {
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : port.system_names) ports.push_back({name, std::string()});
  return ports;
}

bool serial_port_open(const char* port_name) {
  port.open_failure = port.refuse_open ? PortOpenFailure::in_use : PortOpenFailure::none;
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

PortOpenFailure serial_port_open_failure() { return port.open_failure; }

bool serial_port_is_open() { return port.open; }

bool serial_port_write(const char* bytes, std::size_t count) {
  if (call_refused(port.writes_until_failure)) return false;
  const std::int64_t start_us = fake_port_elapsed_us();
  port.transcript.push_back({FakeDirection::host_write, std::string(bytes, count), 0, start_us});
  port.bytes_on_line += count;
  if (port.model) port.model->receive(bytes, count);
  const std::int64_t cancelled_at = wait_through(start_us, fake_port_elapsed_us());
  if (cancelled_at < 0) return true;
  clock_to(cancelled_at);
  port.transcript.back().cancelled = true;
  return false;
}

int serial_port_read(char* buffer, std::size_t count) {
  if (call_refused(port.reads_until_failure)) return -1;
  const std::int64_t start_us = fake_port_elapsed_us();
  std::string received = bytes_from_the_line(count);
  port.bytes_on_line += received.size();
  port.waited_us += read_wait_us(count, received.size());
  const std::int64_t cancelled_at = wait_through(start_us, fake_port_elapsed_us());
  if (cancelled_at < 0) {
    port.transcript.push_back({FakeDirection::host_read, received, count, start_us});
    if (!received.empty()) std::memcpy(buffer, received.data(), received.size());
    return static_cast<int>(received.size());
  }
  // The bytes come one after another from the start of the read.
  const std::size_t arrived = std::min<std::size_t>(
      received.size(), static_cast<std::size_t>((cancelled_at - start_us) / fake_port_transmission_us(1)));
  port.unread.insert(0, received, arrived, std::string::npos);
  port.bytes_on_line -= received.size() - arrived;
  received.resize(arrived);
  clock_to(cancelled_at);
  port.transcript.push_back({FakeDirection::host_read, received, count, start_us, true});
  return -1;
}

void serial_port_discard_input() {
  if (!port.open) return;
  ++port.discard_count;
  port.unread.clear();
  if (port.model) port.model->take_output(port.model->pending_output());
}

void set_serial_wait_hook(SerialWaitHook hook) { port.wait_hook = hook; }
