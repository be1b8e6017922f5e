// info and clock set: what the instrument tells of itself (its firmware
// version and its clock), and the clock set and read back, printed as
// aligned lines or JSON.

#include <ctime>
#include <optional>
#include <string>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "cli/time_argument.h"
#include "instrument/clock.h"
#include "instrument/firmware.h"

namespace {

ClockReading read_clock(PortSession& session, const Streams& streams) {
  session.status.phase("reading the clock");
  const ClockReading reading = read_instrument_clock(session.instrument);
  if (!reading.answered) {
    report_failure(streams, "could not read the clock: " +
                                failure_message(session.instrument.last_failure(), session.port));
  }
  return reading;
}

// The local time now; none when the C runtime cannot convert it.
std::optional<std::tm> local_time_now() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (!local) return std::nullopt;
  return *local;
}

}  // namespace

int run_info(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    InstrumentInfo info;
    info.firmware = read_firmware_version(session.instrument);
    // As Connect does: only an instrument that gave its version is asked
    // for its clock.
    if (info.firmware) {
      info.clock = read_clock(session, streams);
    } else {
      report_failure(streams, failure_message(session.instrument.last_failure(), session.port));
    }
    streams.out << (invocation.json ? info_json(info) : info_text(info));
    return info.firmware && info.clock->answered ? kExitDone : kExitFailed;
  });
}

int run_clock_set(const Invocation& invocation, const Streams& streams) {
  std::string error = "the computer's local time cannot be read";
  const std::optional<std::tm> time = invocation.time ? parse_time_argument(*invocation.time, error) : local_time_now();
  if (!time) {
    report(streams, "clock set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&invocation, &streams, &time](PortSession& session) {
    session.status.phase("setting the clock");
    const bool confirmed = set_instrument_clock(session.instrument, *time);
    if (!confirmed) {
      const LinkFailure failure = session.instrument.last_failure();
      report_failure(streams, order_failure_message(failure, session.port, "the new time"));
      if (failure == LinkFailure::silence) return kExitFailed;  // a dead line: nothing more is sent
    }
    const ClockReading reading = read_clock(session, streams);
    streams.out << (invocation.json ? clock_json(reading) : clock_text_output(reading));
    return reading.answered && confirmed ? kExitDone : kExitFailed;
  });
}
