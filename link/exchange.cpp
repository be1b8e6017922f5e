#include "link/exchange.h"

#include <algorithm>
#include <cstring>

#include "link/exchange_trace.h"
#include "link/serial_port.h"

namespace {

char receive_buffer[kReceiveBufferSize];

StageOutcome attempt_opening(const char* command_text, std::size_t length, OpeningBudgets& budgets) {
  if (!send_text(&kAttentionByte, 1)) return StageOutcome::failed;
  int count = receive(1);
  if (count < 0) return StageOutcome::failed;
  StageOutcome attention = judge_stage(count == 1 && receive_buffer[0] == kAcknowledgement, budgets.attention);
  trace_stage(TraceStage::attention, attention, budgets.attention);
  if (attention != StageOutcome::passed) return attention;

  if (!send_text(command_text, length)) return StageOutcome::failed;
  count = receive(length + 1);
  if (count < 0) return StageOutcome::failed;
  // The echo's first byte is whatever the instrument puts in front of its
  // lines; only the command after it is compared.
  bool echoed = static_cast<std::size_t>(count) == length + 1 &&
                std::memcmp(receive_buffer + 1, command_text, length) == 0;
  StageOutcome echo = judge_stage(echoed, budgets.echo);
  trace_stage(TraceStage::echo, echo, budgets.echo);
  return echo;
}

bool write_traced(const char* bytes, std::size_t count) {
  const bool written = serial_port_write(bytes, count);
  trace_written(bytes, count, written);
  return written;
}

}  // namespace

StageOutcome judge_stage(bool as_expected, int& budget) {
  // The budget is looked at before the result: a stage reached with nothing
  // left fails even when the instrument finally answered right.
  if (budget <= 0) return StageOutcome::failed;
  if (as_expected) return StageOutcome::passed;
  --budget;
  return StageOutcome::retry;
}

bool send_text(const char* bytes, std::size_t count) {
  if (count > 0 && !write_traced(bytes, count)) return false;
  return write_traced(&kTerminator, 1);
}

int receive(std::size_t count) {
  const std::size_t requested = std::min(count, kReceiveBufferSize);
  const int received = serial_port_read(receive_buffer, requested);
  trace_read(receive_buffer, received, requested);
  return received;
}

const char* received_bytes() { return receive_buffer; }

std::size_t text_length(const char* bytes, std::size_t count) {
  return static_cast<std::size_t>(std::find(bytes, bytes + count, '\0') - bytes);
}

bool open_exchange(const char* command_text, std::size_t length, OpeningBudgets& budgets) {
  StageOutcome opened;
  do {
    opened = attempt_opening(command_text, length, budgets);
  } while (opened == StageOutcome::retry);
  return opened == StageOutcome::passed;
}
