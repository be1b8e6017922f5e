#include "link/exchange.h"

#include <algorithm>
#include <cstring>

#include "link/serial_port.h"

namespace {

char receive_buffer[kReceiveBufferSize];

StageOutcome attempt_opening(const char* command_text, std::size_t length, OpeningBudgets& budgets) {
  if (!send_text(&kAttentionByte, 1)) return StageOutcome::failed;
  int count = receive(1);
  if (count < 0) return StageOutcome::failed;
  StageOutcome attention = judge_stage(count == 1 && receive_buffer[0] == kAcknowledgement, budgets.attention);
  if (attention != StageOutcome::passed) return attention;

  if (!send_text(command_text, length)) return StageOutcome::failed;
  count = receive(length + 1);
  if (count < 0) return StageOutcome::failed;
  // The echo's first byte is whatever the instrument puts in front of its
  // lines; only the command after it is compared.
  bool echoed = static_cast<std::size_t>(count) == length + 1 &&
                std::memcmp(receive_buffer + 1, command_text, length) == 0;
  return judge_stage(echoed, budgets.echo);
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
  if (count > 0 && !serial_port_write(bytes, count)) return false;
  return serial_port_write(&kTerminator, 1);
}

int receive(std::size_t count) {
  return serial_port_read(receive_buffer, std::min(count, kReceiveBufferSize));
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
