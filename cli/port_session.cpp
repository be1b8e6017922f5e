#include "cli/port_session.h"

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/trace_file.h"
#include "link/serial_port.h"

namespace {

std::string open_failure_text(PortOpenFailure failure) {
  switch (failure) {
    case PortOpenFailure::not_found: return "no such port";
    case PortOpenFailure::in_use: return "the port is in use by another program";
    case PortOpenFailure::not_permitted: return "permission denied (on Linux, is the user in the dialout group?)";
    case PortOpenFailure::other: break;
  }
  return "the port could not be opened";
}

const char* stop_text(int exit_code) {
  switch (exit_code) {
    case kExitHangup: return "stopped: the terminal was closed";
    case kExitTerminated: return "stopped";
    default: return "interrupted";
  }
}

// The port open for the body; the port is closed when this returns.
int with_open_port(const Invocation& invocation, const Streams& streams, ExchangeTraceFile& trace,
                   const std::function<int(PortSession& session)>& body) {
  StatusLine& status = *streams.status;
  SerialPortOpening opening =
      open_serial_port(invocation.port, interrupt_token(), [&status] { status.tick(); });
  if (!opening.port) {
    report(streams, "cannot open " + invocation.port + ": " + open_failure_text(opening.failure));
    return kExitPortUnavailable;
  }
  opening.port->discard_input();
  const ExchangeTraceSink file_sink = trace.sink();
  Instrument instrument(*opening.port, [&file_sink, &status](const TraceEvent& event) {
    if (file_sink) file_sink(event);
    status.trace(event);
  });
  status.phase("contacting the instrument on " + invocation.port);
  PortSession session{instrument, status, invocation.port};
  return body(session);
}

}  // namespace

int exit_code_after_stop(const Streams& streams, int exit_code) {
  if (!interrupted()) return exit_code;
  report(streams, stop_text(interrupt_exit_code()));
  return interrupt_exit_code();
}

int run_on_port(const Invocation& invocation, const Streams& streams,
                const std::function<int(PortSession& session)>& body) {
  if (invocation.port.empty()) {
    report(streams, std::string("no port given: use --port or set ") + kPortVariable);
    return kExitUsage;
  }
  ExchangeTraceFile trace;
  if (!invocation.trace_path.empty() && !trace.open(invocation.trace_path, invocation)) {
    report(streams, "cannot write the trace file " + invocation.trace_path);
    return kExitUsage;
  }
  const int exit_code = exit_code_after_stop(streams, with_open_port(invocation, streams, trace, body));
  trace.close(exit_code);
  return exit_code;
}
