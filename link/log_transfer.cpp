#include "link/log_transfer.h"

#include <cstring>
#include <string>

#include "link/commands.h"
#include "link/exchange.h"
#include "link/exchange_trace.h"
#include "link/log_store.h"
#include "link/transaction.h"

namespace {

// The instrument sends its banner with two leading blanks and its short
// column header; the program keeps them in the forms it shows and prints.
std::string stored_form(const std::string& received) {
  if (received == kReceivedBanner) return kBannerLine;
  if (received == kShortColumnHeader) return kLongColumnHeader;
  return received;
}

// Ends the store behind the lines acknowledged so far, so that no reader
// goes on into lines of an earlier download.
const char* fail_at(std::size_t slot) {
  log_store_end_at(slot);
  return kFailureMarker;
}

bool line_acknowledged(int count) { return count == 1 && received_bytes()[0] == kAcknowledgement; }

const char* transfer_log(const LineExchangeCallback& line_exchange) {
  const char* command = command_text(Command::get_log_data);
  OpeningBudgets budgets{kLogTransferBudget, kLogTransferBudget};
  if (!open_exchange(command, std::strlen(command), budgets)) return fail_at(0);

  int line_budget = kLogTransferBudget;
  std::size_t slot = 0;  // advances only when the instrument acknowledges the line in it
  for (;;) {
    if (line_exchange) line_exchange(slot);
    // The first "!" confirms the echo; each later one asks for a line.
    if (!send_text(&kAcknowledgement, 1)) return fail_at(slot);
    int count = receive(kReceiveBufferSize);
    trace_stage(TraceStage::log_line, count < 2 ? StageOutcome::failed : StageOutcome::passed);
    if (count < 2) return fail_at(slot);
    // Between the framing bytes, at most 98 characters; a NUL ends the text.
    const char* framed_line = received_bytes() + 1;
    const std::size_t line_bytes = static_cast<std::size_t>(count) - 2;
    const std::string line(framed_line, text_length(framed_line, line_bytes));
    if (line == kEndOfLog) {
      log_store_end_at(slot);
      return kTransferDone;
    }
    log_store_put(slot, stored_form(line));
    // The line goes back as it came, not in its stored form.
    const bool handed_back = send_text(framed_line, line_bytes);
    trace_stage(TraceStage::hand_back, handed_back ? StageOutcome::passed : StageOutcome::failed);
    if (!handed_back) return fail_at(slot);
    count = receive(1);
    if (count < 0) return fail_at(slot);
    if (line_acknowledged(count)) {
      trace_stage(TraceStage::line_acknowledgement, StageOutcome::passed, line_budget);
      ++slot;
      continue;
    }
    // Not acknowledged: the instrument sends the same line again, into the
    // same slot, on the next request.
    const StageOutcome refused = line_budget == 0 ? StageOutcome::failed : StageOutcome::retry;
    if (refused == StageOutcome::retry) --line_budget;
    trace_stage(TraceStage::line_acknowledgement, refused, line_budget);
    if (refused == StageOutcome::failed) return fail_at(slot);
  }
}

}  // namespace

const char* run_log_transfer(const LineExchangeCallback& line_exchange) {
  trace_exchange_started(TraceExchange::log_transfer, command_text(Command::get_log_data));
  const char* result = transfer_log(line_exchange);
  trace_exchange_ended(result);
  return result;
}
