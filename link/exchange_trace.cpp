#include "link/exchange_trace.h"

#include <cstring>
#include <utility>

namespace {

ExchangeTraceSink trace_sink;

void report(const TraceEvent& event) {
  if (trace_sink) trace_sink(event);
}

void report_text(TraceEvent event, const char* text) {
  event.bytes = text;
  event.count = std::strlen(text);
  report(event);
}

}  // namespace

void set_exchange_trace(ExchangeTraceSink sink) { trace_sink = std::move(sink); }

void trace_exchange_started(TraceExchange exchange, const char* command_text) {
  if (!trace_sink) return;
  TraceEvent event{TraceEventKind::exchange_started};
  event.exchange = exchange;
  report_text(event, command_text);
}

void trace_exchange_ended(const char* result) {
  if (trace_sink) report_text(TraceEvent{TraceEventKind::exchange_ended}, result);
}

void trace_written(const char* bytes, std::size_t count, bool succeeded) {
  if (!trace_sink) return;
  TraceEvent event{TraceEventKind::written};
  event.bytes = bytes;
  event.count = count;
  event.succeeded = succeeded;
  report(event);
}

void trace_read(const char* bytes, int count, std::size_t requested) {
  if (!trace_sink) return;
  TraceEvent event{TraceEventKind::read};
  event.bytes = bytes;
  event.count = count > 0 ? static_cast<std::size_t>(count) : 0;
  event.requested = requested;
  event.succeeded = count >= 0;
  report(event);
}

void trace_stage(TraceStage stage, StageOutcome outcome, int budget_left) {
  if (!trace_sink) return;
  TraceEvent event{TraceEventKind::stage};
  event.stage = stage;
  event.outcome = outcome;
  event.budget_left = budget_left;
  report(event);
}
