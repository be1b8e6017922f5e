#include "cli/commands.h"

#include <algorithm>

#include "cli/command_runs.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/trace_file.h"
#include "link/serial_port.h"

namespace {

std::string open_failure_text(PortOpenFailure failure) {
  switch (failure) {
    case PortOpenFailure::not_found: return "no such port";
    case PortOpenFailure::in_use: return "the port is in use by another program";
    case PortOpenFailure::not_permitted: return "permission denied (on Linux, is the user in the dialout group?)";
    case PortOpenFailure::none:
    case PortOpenFailure::other: break;
  }
  return "the port could not be opened";
}

int run_ports(const Invocation& invocation, const Streams& streams) {
  std::vector<SerialPortInfo> ports = list_serial_ports();
  std::sort(ports.begin(), ports.end(),
            [](const SerialPortInfo& left, const SerialPortInfo& right) { return left.name < right.name; });
  streams.out << (invocation.json ? ports_json(ports) : ports_text(ports));
  return kExitDone;
}

}  // namespace

void report(const Streams& streams, const std::string& message) {
  streams.err << kProgramName << ": " << message << '\n';
}

void report_failure(const Streams& streams, const std::string& message) {
  if (!interrupted()) report(streams, message);
}

void inform(const Invocation& invocation, const Streams& streams, const std::string& message) {
  if (!invocation.quiet) report(streams, message);
}

int run_on_port(const Invocation& invocation, const Streams& streams, const std::function<int()>& body) {
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
    if (!serial_port_open(invocation.port.c_str())) {
      report(streams, "cannot open " + invocation.port + ": " + open_failure_text(serial_port_open_failure()));
      return kExitPortUnavailable;
    }
    serial_port_discard_input();
    exit_code = body();
    serial_port_close();
  }
  if (interrupted()) {
    report(streams, "interrupted");
    return kExitInterrupted;
  }
  return exit_code;
}

int run_command(const Invocation& invocation, const Streams& streams) {
  switch (invocation.command) {
    case CommandName::ports: return run_ports(invocation, streams);
    case CommandName::info: return run_info(invocation, streams);
    case CommandName::config_get: return run_config_get(invocation, streams);
    case CommandName::config_set: return run_config_set(invocation, streams);
    case CommandName::clock_set: return run_clock_set(invocation, streams);
    case CommandName::log_download: return run_log_download(invocation, streams);
    case CommandName::log_erase: return run_log_erase(invocation, streams);
  }
  return kExitUsage;
}
