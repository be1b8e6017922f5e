#include "link/transaction.h"

#include "link/instrument_link.h"

namespace {

constexpr std::size_t kResponseReadBytes = kResponseLineMax + 2;  // framing byte, line, framing byte

bool closing_acknowledged(const LinkExchange& exchange, int count) {
  return count == 1 && exchange.received_bytes()[0] == kAcknowledgement;
}

bool open_and_confirm(LinkExchange& exchange, const std::string& command_text, OpeningBudgets& budgets) {
  return exchange.open_exchange(command_text, budgets) && exchange.send_text(&kAcknowledgement, 1);
}

TransactionResult failed_with(LinkFailure failure) { return TransactionResult{failure, std::string()}; }

TransactionResult run_query(LinkExchange& exchange, const std::string& command_text) {
  if (command_text.size() > kCommandTextMax) return failed_with(LinkFailure::not_sent);
  OpeningBudgets budgets{kTransactionBudget, kTransactionBudget};
  int closing_budget = kTransactionBudget;
  for (;;) {
    if (!open_and_confirm(exchange, command_text, budgets)) return failed_with(exchange.failure());
    int count = exchange.receive(kResponseReadBytes);
    exchange.trace_stage(TraceStage::response, count > 0 ? StageOutcome::passed : StageOutcome::failed);
    if (count <= 0) return failed_with(exchange.failure());
    const char* response = exchange.received_bytes();
    // The line lies between the framing bytes; a NUL among them ends it.
    const std::size_t line_length =
        count >= 2 ? text_length(response + 1, static_cast<std::size_t>(count) - 2) : 0;
    std::string line(response + 1, line_length);
    // Everything but the leading byte goes back, the trailing byte included.
    const bool handed_back = exchange.send_text(response + 1, static_cast<std::size_t>(count) - 1);
    exchange.trace_stage(TraceStage::hand_back, handed_back ? StageOutcome::passed : StageOutcome::failed);
    if (!handed_back) return failed_with(exchange.failure());
    count = exchange.receive(1);
    if (count < 0) return failed_with(exchange.failure());
    StageOutcome closed = judge_stage(closing_acknowledged(exchange, count), closing_budget);
    exchange.trace_stage(TraceStage::closing, closed, closing_budget);
    if (closed == StageOutcome::passed) return TransactionResult{LinkFailure::none, std::move(line)};
    if (closed == StageOutcome::failed) return failed_with(exchange.failure());
  }
}

TransactionResult run_order(LinkExchange& exchange, const std::string& command_text) {
  if (command_text.size() > kCommandTextMax) return failed_with(LinkFailure::not_sent);
  OpeningBudgets budgets{kTransactionBudget, kTransactionBudget};
  int closing_budget = kTransactionBudget;
  if (!open_and_confirm(exchange, command_text, budgets)) return failed_with(exchange.failure());
  // Once the echo is confirmed the instrument may already have performed the
  // order, so only the closing reply is waited for again: the command never
  // goes out a second time.
  for (;;) {
    int count = exchange.receive(1);
    if (count < 0) return failed_with(exchange.failure());
    StageOutcome closed = judge_stage(closing_acknowledged(exchange, count), closing_budget);
    exchange.trace_stage(TraceStage::closing, closed, closing_budget);
    if (closed == StageOutcome::passed) return TransactionResult{};
    if (closed == StageOutcome::failed) {
      const LinkFailure failure = exchange.failure();
      return failed_with(failure == LinkFailure::cancelled || failure == LinkFailure::port_failed
                             ? failure
                             : LinkFailure::unconfirmed);
    }
  }
}

}  // namespace

InstrumentLink::InstrumentLink(SerialPort& port, ExchangeTraceSink trace) : exchange_(port, std::move(trace)) {}

bool InstrumentLink::attention_answered() {
  exchange_.begin(TraceExchange::attention, std::string(1, kAttentionByte));
  const bool sent = exchange_.send_text(&kAttentionByte, 1);
  const bool answered = sent && exchange_.receive(1) == 1 && exchange_.received_bytes()[0] == kAcknowledgement;
  exchange_.trace_stage(TraceStage::attention, answered ? StageOutcome::passed : StageOutcome::failed);
  exchange_.end(std::string(1, kAcknowledgement), answered ? LinkFailure::none : exchange_.failure());
  return answered;
}

TransactionResult InstrumentLink::query(const std::string& command_text) {
  exchange_.begin(TraceExchange::query, command_text);
  TransactionResult result = run_query(exchange_, command_text);
  exchange_.end(result.response_line, result.failure);
  return result;
}

TransactionResult InstrumentLink::order(const std::string& command_text) {
  exchange_.begin(TraceExchange::order, command_text);
  TransactionResult result = run_order(exchange_, command_text);
  exchange_.end(command_text, result.failure);
  return result;
}
