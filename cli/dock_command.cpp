// dock: the docking station (cli/dock.h) from the command line, each event
// a line on standard output with the local time in front, or a JSON object
// a line with --json.
//
// The archive is opened, and made when missing, before any port is looked
// at: one that cannot be used ends the command with exit 4. A stop request
// ends it: SIGTERM, the way a service is stopped, with exit 0; Ctrl-C with
// 130.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <ostream>

#include "cli/archive_access.h"
#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/dock.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/wall_clock.h"

namespace {

bool has_repeats(std::vector<std::string> ports) {
  std::sort(ports.begin(), ports.end());
  return std::adjacent_find(ports.begin(), ports.end()) != ports.end();
}

}  // namespace

int run_dock(const Invocation& invocation, const Streams& streams) {
  std::vector<std::string> ports = invocation.ports;
  if (ports.empty() && !invocation.port.empty()) ports.push_back(invocation.port);
  if (ports.empty()) {
    report(streams, std::string("dock needs a port: give --port once for each port to serve"));
    return kExitUsage;
  }
  if (has_repeats(ports)) {
    report(streams, "dock: a port is given twice");
    return kExitUsage;
  }
  const CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::store);
  if (!opened.archive) return kExitArchive;

  const DockOptions options{ports, {invocation.erase, invocation.set_clock, invocation.max_drift_s},
                            std::chrono::seconds(invocation.poll_s), opened.path};
  run_docking_station(options, [&invocation, &streams](const DockEvent& event) {
    if (invocation.json) {
      streams.out << dock_event_json(event) << std::endl;
    } else {
      streams.out << local_time_text(std::time(nullptr)) << ' ' << dock_event_text(event) << std::endl;
    }
  });
  return interrupt_exit_code() == kExitTerminated ? kExitDone : interrupt_exit_code();
}
