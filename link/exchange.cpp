#include "link/exchange.h"

#include <algorithm>
#include <cstring>
#include <utility>

StageOutcome judge_stage(bool as_expected, int& budget) {
  // The budget is looked at before the result: a stage reached with nothing
  // left fails even when the instrument finally answered right.
  if (budget <= 0) return StageOutcome::failed;
  if (as_expected) return StageOutcome::passed;
  --budget;
  return StageOutcome::retry;
}

std::size_t text_length(const char* bytes, std::size_t count) {
  return static_cast<std::size_t>(std::find(bytes, bytes + count, '\0') - bytes);
}

LinkExchange::LinkExchange(SerialPort& port, ExchangeTraceSink trace) : port_(port), trace_(std::move(trace)) {}

void LinkExchange::report(const TraceEvent& event) const {
  if (trace_) trace_(event);
}

void LinkExchange::begin(TraceExchange exchange, const std::string& command_text) {
  bytes_since_progress_ = 0;
  port_failed_ = false;
  TraceEvent event{TraceEventKind::exchange_started};
  event.exchange = exchange;
  event.bytes = command_text.data();
  event.count = command_text.size();
  report(event);
}

void LinkExchange::end(const std::string& result, LinkFailure failure) {
  const std::string& text = failure == LinkFailure::none ? result : std::string(kFailureText);
  TraceEvent event{TraceEventKind::exchange_ended};
  event.bytes = text.data();
  event.count = text.size();
  event.succeeded = failure == LinkFailure::none;
  event.cancelled = failure == LinkFailure::cancelled;
  report(event);
}

bool LinkExchange::write_traced(const char* bytes, std::size_t count) {
  const bool written = port_.write(bytes, count);
  port_failed_ = port_failed_ || !written;
  TraceEvent event{TraceEventKind::written};
  event.bytes = bytes;
  event.count = count;
  event.succeeded = written;
  event.cancelled = !written && port_.cancel_requested();
  report(event);
  return written;
}

bool LinkExchange::send_text(const char* bytes, std::size_t count) {
  if (count > 0 && !write_traced(bytes, count)) return false;
  return write_traced(&kTerminator, 1);
}

int LinkExchange::receive(std::size_t count) {
  const std::size_t requested = std::min(count, kReceiveBufferSize);
  TraceEvent started{TraceEventKind::read_started};
  started.requested = requested;
  report(started);
  const int received = port_.read(receive_buffer_, requested);
  if (received > 0) bytes_since_progress_ += static_cast<std::size_t>(received);
  port_failed_ = port_failed_ || received < 0;
  TraceEvent event{TraceEventKind::read};
  event.bytes = receive_buffer_;
  event.count = received > 0 ? static_cast<std::size_t>(received) : 0;
  event.requested = requested;
  event.succeeded = received >= 0;
  event.cancelled = received < 0 && port_.cancel_requested();
  report(event);
  return received;
}

void LinkExchange::trace_stage(TraceStage stage, StageOutcome outcome, int budget_left) {
  TraceEvent event{TraceEventKind::stage};
  event.stage = stage;
  event.outcome = outcome;
  event.budget_left = budget_left;
  report(event);
}

LinkFailure LinkExchange::failure() const {
  if (port_.cancel_requested()) return LinkFailure::cancelled;
  if (port_failed_) return LinkFailure::port_failed;
  return bytes_since_progress_ == 0 ? LinkFailure::silence : LinkFailure::garbled;
}

StageOutcome LinkExchange::attempt_opening(const std::string& command_text, OpeningBudgets& budgets) {
  if (!send_text(&kAttentionByte, 1)) return StageOutcome::failed;
  int count = receive(1);
  if (count < 0) return StageOutcome::failed;
  StageOutcome attention = judge_stage(count == 1 && receive_buffer_[0] == kAcknowledgement, budgets.attention);
  trace_stage(TraceStage::attention, attention, budgets.attention);
  if (attention != StageOutcome::passed) return attention;

  const std::size_t length = command_text.size();
  if (!send_text(command_text.data(), length)) return StageOutcome::failed;
  count = receive(length + 1);
  if (count < 0) return StageOutcome::failed;
  // The echo's first byte is whatever the instrument puts in front of its
  // lines; only the command after it is compared.
  bool echoed = static_cast<std::size_t>(count) == length + 1 &&
                std::memcmp(receive_buffer_ + 1, command_text.data(), length) == 0;
  StageOutcome echo = judge_stage(echoed, budgets.echo);
  trace_stage(TraceStage::echo, echo, budgets.echo);
  return echo;
}

bool LinkExchange::open_exchange(const std::string& command_text, OpeningBudgets& budgets) {
  StageOutcome opened;
  do {
    opened = attempt_opening(command_text, budgets);
  } while (opened == StageOutcome::retry);
  return opened == StageOutcome::passed;
}
