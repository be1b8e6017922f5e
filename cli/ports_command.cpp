// ports: the serial ports that the system lists, sorted by name.

#include <algorithm>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "link/serial_port.h"

int run_ports(const Invocation& invocation, const Streams& streams) {
  std::vector<SerialPortInfo> ports = list_serial_ports();
  std::sort(ports.begin(), ports.end(),
            [](const SerialPortInfo& left, const SerialPortInfo& right) { return left.name < right.name; });
  streams.out << (invocation.json ? ports_json(ports) : ports_text(ports));
  return kExitDone;
}
