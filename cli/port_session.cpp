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

}  // namespace

int run_on_port(const Invocation& invocation, const Streams& streams,
                const std::function<int(Instrument& instrument)>& body) {
  if (invocation.port.empty()) {
    report(streams, std::string("no port given: use --port or set ") + kPortVariable);
    return kExitUsage;
  }
  int exit_code = kExitDone;
  {
    ExchangeTraceFile trace;
    if (!invocation.trace_path.empty() && !trace.open(invocation.trace_path, invocation.port)) {
      report(streams, "cannot write the trace file " + invocation.trace_path);
      return kExitUsage;
    }
    SerialPortOpening opening = open_serial_port(invocation.port, interrupt_token());
    if (!opening.port) {
      report(streams, "cannot open " + invocation.port + ": " + open_failure_text(opening.failure));
      return kExitPortUnavailable;
    }
    opening.port->discard_input();
    Instrument instrument(*opening.port, trace.sink());
    exit_code = body(instrument);
  }
  if (interrupted()) {
    report(streams, "interrupted");
    return kExitInterrupted;
  }
  return exit_code;
}
