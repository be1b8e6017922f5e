#include "link/transaction.h"

#include <cstring>

#include "link/exchange.h"
#include "link/exchange_trace.h"

const char* const kFailureMarker = "err";

namespace {

constexpr std::size_t kResponseReadBytes = 40;  // framing byte, 38 characters, framing byte
constexpr std::size_t kResponseLineAreaSize = kResponseLineMax + 1;

char response_line_area[kResponseLineAreaSize];

// Longer texts would have an echo that does not fit the receive buffer.
bool command_fits(const char* command_text) {
  return command_text && std::strlen(command_text) <= kCommandTextMax;
}

bool open_and_confirm(const char* command_text, std::size_t length, OpeningBudgets& budgets) {
  return open_exchange(command_text, length, budgets) && send_text(&kAcknowledgement, 1);
}

bool closing_acknowledged(int count) { return count == 1 && received_bytes()[0] == kAcknowledgement; }

const char* run_query(const char* command_text) {
  if (!command_fits(command_text)) return kFailureMarker;
  const std::size_t length = std::strlen(command_text);
  OpeningBudgets budgets{kTransactionBudget, kTransactionBudget};
  int closing_budget = kTransactionBudget;
  for (;;) {
    if (!open_and_confirm(command_text, length, budgets)) return kFailureMarker;
    int count = receive(kResponseReadBytes);
    trace_stage(TraceStage::response, count > 0 ? StageOutcome::passed : StageOutcome::failed);
    if (count <= 0) return kFailureMarker;
    const char* response = received_bytes();
    // The line lies between the framing bytes; a NUL among them ends it.
    std::size_t line_length = count >= 2 ? text_length(response + 1, static_cast<std::size_t>(count) - 2) : 0;
    std::memcpy(response_line_area, response + 1, line_length);
    response_line_area[line_length] = '\0';
    // Everything but the leading byte goes back, the trailing byte included.
    const bool handed_back = send_text(response + 1, static_cast<std::size_t>(count) - 1);
    trace_stage(TraceStage::hand_back, handed_back ? StageOutcome::passed : StageOutcome::failed);
    if (!handed_back) return kFailureMarker;
    count = receive(1);
    if (count < 0) return kFailureMarker;
    StageOutcome closed = judge_stage(closing_acknowledged(count), closing_budget);
    trace_stage(TraceStage::closing, closed, closing_budget);
    if (closed == StageOutcome::passed) return response_line_area;
    if (closed == StageOutcome::failed) return kFailureMarker;
  }
}

const char* run_order(const char* command_text) {
  if (!command_fits(command_text)) return kFailureMarker;
  OpeningBudgets budgets{kTransactionBudget, kTransactionBudget};
  int closing_budget = kTransactionBudget;
  if (!open_and_confirm(command_text, std::strlen(command_text), budgets)) return kFailureMarker;
  // Once the echo is confirmed the instrument may already have performed the
  // order, so only the closing reply is waited for again: the command never
  // goes out a second time.
  for (;;) {
    int count = receive(1);
    if (count < 0) return kFailureMarker;
    StageOutcome closed = judge_stage(closing_acknowledged(count), closing_budget);
    trace_stage(TraceStage::closing, closed, closing_budget);
    if (closed == StageOutcome::passed) return command_text;
    if (closed == StageOutcome::failed) return kFailureMarker;
  }
}

const char* traced(TraceExchange exchange, const char* command_text, const char* (*run)(const char*)) {
  trace_exchange_started(exchange, command_text ? command_text : "");
  const char* result = run(command_text);
  trace_exchange_ended(result);
  return result;
}

}  // namespace

const char* query(const char* command_text) { return traced(TraceExchange::query, command_text, run_query); }

const char* order(const char* command_text) { return traced(TraceExchange::order, command_text, run_order); }
