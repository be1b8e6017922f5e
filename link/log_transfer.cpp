#include "link/log_transfer.h"

#include <string>

#include "link/command_vocabulary.h"
#include "link/instrument_link.h"

namespace {

bool line_acknowledged(const LinkExchange& exchange, int count) {
  return count == 1 && exchange.received_bytes()[0] == kAcknowledgement;
}

// Fills result.lines; returns why the transfer stopped (none at "EOT").
LinkFailure transfer_lines(LinkExchange& exchange, const LineExchangeCallback& on_line_exchange,
                           LogTransferResult& result) {
  OpeningBudgets budgets{kLogTransferBudget, kLogTransferBudget};
  if (!exchange.open_exchange(command_text(Command::get_log_data), budgets)) return exchange.failure();

  int line_budget = kLogTransferBudget;
  for (;;) {
    if (on_line_exchange) on_line_exchange(result.lines.size());
    // The first "!" confirms the echo; each later one asks for a line.
    if (!exchange.send_text(&kAcknowledgement, 1)) return exchange.failure();
    int count = exchange.receive(kReceiveBufferSize);
    exchange.trace_stage(TraceStage::log_line, count < 2 ? StageOutcome::failed : StageOutcome::passed);
    if (count < 2) return exchange.failure();
    // Between the framing bytes, at most 98 characters; a NUL ends the text.
    const char* framed_line = exchange.received_bytes() + 1;
    const std::size_t line_bytes = static_cast<std::size_t>(count) - 2;
    std::string line(framed_line, text_length(framed_line, line_bytes));
    if (line == kEndOfLog) return LinkFailure::none;
    // The line goes back as it came.
    const bool handed_back = exchange.send_text(framed_line, line_bytes);
    exchange.trace_stage(TraceStage::hand_back, handed_back ? StageOutcome::passed : StageOutcome::failed);
    if (!handed_back) return exchange.failure();
    count = exchange.receive(1);
    if (count < 0) return exchange.failure();
    if (line_acknowledged(exchange, count)) {
      exchange.trace_stage(TraceStage::line_acknowledgement, StageOutcome::passed, line_budget);
      result.lines.push_back(std::move(line));
      exchange.restart_silence_count();
      continue;
    }
    // Not acknowledged: the instrument sends the same line again on the next
    // request.
    const StageOutcome refused = line_budget == 0 ? StageOutcome::failed : StageOutcome::retry;
    if (refused == StageOutcome::retry) --line_budget;
    exchange.trace_stage(TraceStage::line_acknowledgement, refused, line_budget);
    if (refused == StageOutcome::failed) return exchange.failure();
  }
}

}  // namespace

LogTransferResult InstrumentLink::transfer_log(const LineExchangeCallback& on_line_exchange) {
  exchange_.begin(TraceExchange::log_transfer, command_text(Command::get_log_data));
  LogTransferResult result;
  result.failure = transfer_lines(exchange_, on_line_exchange, result);
  exchange_.end(kTransferDone, result.failure);
  return result;
}
