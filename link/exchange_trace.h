#pragma once
// A trace of everything the link does, for a support technician: each
// exchange with its command, every chunk written and read, and each stage
// with its outcome and the budget left after it.
//
// The link over one port reports plain events to the sink it was given
// (the command-line program's --trace and its status line); with none (the
// dialog, most tests) a report costs one test of an empty function. The
// sink decides the format and the clock; the link knows neither. Events are
// reported on the thread that runs the exchange.

#include <cstddef>
#include <functional>

enum class TraceEventKind {
  exchange_started,  // text: the command text; exchange: its kind
  written,           // bytes written (the write failed when !succeeded)
  read_started,      // a read of `requested` bytes begins
  read,              // bytes read of `requested` (the read failed when !succeeded)
  stage,             // stage, outcome and budget_left
  exchange_ended,    // text: the result ("Done", the response line, the order text), or "err" when !succeeded
};

enum class TraceExchange { attention, query, order, log_transfer };

enum class TraceStage {
  attention,             // "!" for the attention byte
  echo,                  // the command line echoed
  response,              // a query's response read
  hand_back,             // a response or log line written back
  closing,               // the closing "!" of a query or order
  log_line,              // a log line read
  line_acknowledgement,  // the "!" for a handed-back log line
};

enum class StageOutcome {
  passed,  // the stage brought what it expects
  retry,   // it did not; one unit of its budget was used
  failed,  // the exchange is over: budget exhausted or platform failure
};

struct TraceEvent {
  TraceEventKind kind;
  const char* bytes = nullptr;  // text or wire bytes, not NUL-terminated
  std::size_t count = 0;
  std::size_t requested = 0;
  bool succeeded = true;
  bool cancelled = false;  // a call or exchange that a cancel ended, not the line
  TraceExchange exchange = TraceExchange::query;
  TraceStage stage = TraceStage::attention;
  StageOutcome outcome = StageOutcome::passed;
  int budget_left = -1;  // -1 for stages without a budget
};

using ExchangeTraceSink = std::function<void(const TraceEvent& event)>;
