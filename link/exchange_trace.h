#pragma once
// A trace of everything the link does, for a support technician: each
// exchange with its command, every chunk written and read, and each stage
// with its outcome and the budget left after it.
//
// The link reports plain events to one sink, which the command-line
// program's --trace installs; with none installed (the dialog, the tests)
// a report costs one test of an empty function. The sink decides the format
// and the clock; the link knows neither.

#include <cstddef>
#include <functional>

#include "link/exchange.h"

enum class TraceEventKind {
  exchange_started,  // text: the command text; exchange: its kind
  written,           // bytes written (the write failed when !succeeded)
  read,              // bytes read of `requested` (the read failed when !succeeded)
  stage,             // stage, outcome and budget_left
  exchange_ended,    // text: the result ("Done", the response line, the order text) or "err"
};

enum class TraceExchange { query, order, log_transfer };

enum class TraceStage {
  attention,       // "!" for the attention byte
  echo,            // the command line echoed
  response,        // a query's response read
  hand_back,       // a response or log line written back
  closing,         // the closing "!" of a query or order
  log_line,        // a log line read
  line_acknowledgement,  // the "!" for a handed-back log line
};

struct TraceEvent {
  TraceEventKind kind;
  const char* bytes = nullptr;  // text or wire bytes, not NUL-terminated
  std::size_t count = 0;
  std::size_t requested = 0;
  bool succeeded = true;
  TraceExchange exchange = TraceExchange::query;
  TraceStage stage = TraceStage::attention;
  StageOutcome outcome = StageOutcome::passed;
  int budget_left = -1;  // -1 for stages without a budget
};

using ExchangeTraceSink = std::function<void(const TraceEvent& event)>;

// Installs the sink; an empty function removes it.
void set_exchange_trace(ExchangeTraceSink sink);

// --- Reported by the link only ---------------------------------------------
void trace_exchange_started(TraceExchange exchange, const char* command_text);
void trace_exchange_ended(const char* result);
void trace_written(const char* bytes, std::size_t count, bool succeeded);
void trace_read(const char* bytes, int count, std::size_t requested);
void trace_stage(TraceStage stage, StageOutcome outcome, int budget_left = -1);
