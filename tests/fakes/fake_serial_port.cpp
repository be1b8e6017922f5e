#include "tests/fakes/fake_serial_port.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace {

constexpr std::int64_t kBitsPerByte = 10;
constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
constexpr std::int64_t kLinkTimeoutUs = kLinkTimeoutMs * 1000;

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

// The bytes themselves are counted on the line; this is the time-out part.
std::int64_t read_wait_us(std::size_t requested, std::size_t received) {
  if (received == 0) return kLinkTimeoutUs * static_cast<std::int64_t>(requested + 1);
  return received == requested ? 0 : kLinkTimeoutUs;
}

struct FakeSystem {
  std::map<std::string, FakeSerialLine*> lines;
  std::vector<std::string> port_names;
  std::string opened_name;
};

FakeSystem& fake_system() {
  static FakeSystem system;
  return system;
}

}  // namespace

std::int64_t fake_transmission_us(std::size_t byte_count) {
  return static_cast<std::int64_t>(byte_count) * kBitsPerByte * kMicrosecondsPerSecond / kLinkBaudRate;
}

class FakeSerialPort final : public SerialPort {
 public:
  FakeSerialPort(FakeSerialLine& line, const CancelToken& cancel, SerialWaitHook wait_hook)
      : SerialPort(cancel, std::move(wait_hook)), line_(line) {
    ++line_.open_ports_;
    ++line_.open_count_;
  }
  ~FakeSerialPort() override {
    --line_.open_ports_;
    ++line_.close_count_;
  }

  bool write(const char* bytes, std::size_t count) override {
    if (line_.call_refused(*this, line_.writes_until_failure_)) return false;
    const std::int64_t start_us = line_.elapsed_us();
    line_.transcript_.push_back({FakeDirection::host_write, std::string(bytes, count), 0, start_us});
    line_.bytes_on_line_ += count;
    if (line_.model_) line_.model_->receive(bytes, count);
    const std::int64_t cancelled_at = line_.wait_through(*this, start_us, line_.elapsed_us());
    if (cancelled_at < 0) return true;
    line_.clock_to(cancelled_at);
    line_.transcript_.back().cancelled = true;
    return false;
  }

  int read(char* buffer, std::size_t count) override {
    if (line_.call_refused(*this, line_.reads_until_failure_)) return -1;
    const std::int64_t start_us = line_.elapsed_us();
    std::string received = line_.bytes_from_the_line(count);
    line_.bytes_on_line_ += received.size();
    line_.waited_us_ += read_wait_us(count, received.size());
    const std::int64_t cancelled_at = line_.wait_through(*this, start_us, line_.elapsed_us());
    if (cancelled_at < 0) {
      line_.transcript_.push_back({FakeDirection::host_read, received, count, start_us});
      if (!received.empty()) std::memcpy(buffer, received.data(), received.size());
      return static_cast<int>(received.size());
    }
    // The bytes come one after another from the start of the read.
    const std::size_t arrived = std::min<std::size_t>(
        received.size(), static_cast<std::size_t>((cancelled_at - start_us) / fake_transmission_us(1)));
    line_.unread_.insert(0, received, arrived, std::string::npos);
    line_.bytes_on_line_ -= received.size() - arrived;
    received.resize(arrived);
    line_.clock_to(cancelled_at);
    line_.transcript_.push_back({FakeDirection::host_read, received, count, start_us, true});
    return -1;
  }

  void wait_moment() const { run_wait_hook(); }

  void discard_input() override {
    ++line_.discard_count_;
    line_.unread_.clear();
    if (line_.model_) line_.model_->take_output(line_.model_->pending_output());
  }

 private:
  FakeSerialLine& line_;
};

void FakeSerialLine::attach(InstrumentModel* model) {
  model_ = model;
  source_ = nullptr;
}

void FakeSerialLine::attach_source(FakeReplySource source) {
  model_ = nullptr;
  source_ = std::move(source);
}

void FakeSerialLine::attach_script(std::vector<std::string> replies) {
  std::size_t next = 0;
  attach_source([replies = std::move(replies), next](std::size_t) mutable {
    return next < replies.size() ? replies[next++] : std::string();
  });
}

std::unique_ptr<SerialPort> FakeSerialLine::open(const CancelToken& cancel, SerialWaitHook wait_hook) {
  return std::make_unique<FakeSerialPort>(*this, cancel, std::move(wait_hook));
}

bool FakeSerialLine::call_refused(const FakeSerialPort& port, int& calls_until_failure) {
  return port.cancel_requested() || failure_due(calls_until_failure);
}

std::string FakeSerialLine::new_bytes(std::size_t requested) {
  if (model_) return model_->take_output(requested);
  if (source_) {
    std::string reply = source_(requested);
    if (reply.size() > requested) reply.resize(requested);
    return reply;
  }
  return std::string();
}

std::string FakeSerialLine::bytes_from_the_line(std::size_t requested) {
  std::string bytes = unread_.substr(0, requested);
  unread_.erase(0, bytes.size());
  if (bytes.size() < requested) bytes += new_bytes(requested - bytes.size());
  return bytes;
}

// Runs the wait hook and the wait action at each moment from start_us up
// to, not including, end_us: calls follow one another without a gap, so
// every moment falls into exactly one call. Returns the moment at which a
// cancel ended the call, or -1 when it ran to its end.
std::int64_t FakeSerialLine::wait_through(const FakeSerialPort& port, std::int64_t start_us, std::int64_t end_us) {
  const std::int64_t first_moment =
      (start_us + kFakeWaitHookIntervalUs - 1) / kFakeWaitHookIntervalUs * kFakeWaitHookIntervalUs;
  for (std::int64_t moment = first_moment; moment < end_us; moment += kFakeWaitHookIntervalUs) {
    hook_moment_us_ = moment;
    port.wait_moment();
    if (wait_action_) wait_action_();
    hook_moment_us_ = -1;
    if (port.cancel_requested()) return moment;
  }
  return -1;
}

// Sets the clock to a moment inside the call in progress.
void FakeSerialLine::clock_to(std::int64_t moment_us) {
  waited_us_ = moment_us - fake_transmission_us(bytes_on_line_);
}

std::int64_t FakeSerialLine::elapsed_us() const {
  if (hook_moment_us_ >= 0) return hook_moment_us_;
  return waited_us_ + fake_transmission_us(bytes_on_line_);
}

std::vector<std::string> FakeSerialLine::host_writes() const {
  std::vector<std::string> writes;
  for (const FakeTransfer& transfer : transcript_) {
    if (transfer.direction == FakeDirection::host_write) writes.push_back(transfer.bytes);
  }
  return writes;
}

std::string FakeSerialLine::host_bytes() const {
  std::string joined;
  for (const std::string& write : host_writes()) joined += write;
  return joined;
}

std::vector<std::size_t> FakeSerialLine::read_requests() const {
  std::vector<std::size_t> requests;
  for (const FakeTransfer& transfer : transcript_) {
    if (transfer.direction == FakeDirection::host_read) requests.push_back(transfer.requested);
  }
  return requests;
}

std::string FakeSerialLine::transcript_text() const {
  std::string text;
  for (const FakeTransfer& transfer : transcript_) {
    text += std::to_string(transfer.start_us) + "us ";
    if (transfer.direction == FakeDirection::host_write) {
      text += "write \"" + escaped_wire_text(transfer.bytes) + "\"\n";
    } else {
      text += "read " + std::to_string(transfer.requested) + " -> \"" + escaped_wire_text(transfer.bytes) + "\"\n";
    }
  }
  return text;
}

// --- The fake system and the seam ---------------------------------------------

void fake_system_reset() { fake_system() = FakeSystem(); }

void fake_system_connect(const std::string& name, FakeSerialLine& line) { fake_system().lines[name] = &line; }

void fake_system_set_port_names(std::vector<std::string> names) { fake_system().port_names = std::move(names); }

std::string fake_system_opened_name() { return fake_system().opened_name; }

std::vector<SerialPortInfo> list_serial_ports() {
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : fake_system().port_names) ports.push_back({name, std::string()});
  return ports;
}

SerialPortOpening open_serial_port(const std::string& port_name, const CancelToken& cancel,
                                   SerialWaitHook wait_hook) {
  const auto found = fake_system().lines.find(port_name);
  if (found == fake_system().lines.end()) return {nullptr, PortOpenFailure::not_found};
  if (found->second->refuses_open()) return {nullptr, PortOpenFailure::in_use};
  fake_system().opened_name = port_name;
  return {found->second->open(cancel, std::move(wait_hook)), PortOpenFailure::other};
}
