// info and clock set: what the instrument tells of itself (its firmware
// version and its clock), and the clock set and read back, printed as
// aligned lines or JSON.

#include <ctime>
#include <optional>
#include <string>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "cli/time_argument.h"
#include "instrument/clock.h"
#include "instrument/firmware.h"

namespace {

constexpr const char* kNoAnswer = "the instrument did not answer";
constexpr const char* kClockNotRead = "could not read the clock: the instrument did not answer";

int print_clock(Instrument& instrument, const Invocation& invocation, const Streams& streams, bool order_confirmed) {
  const ClockReading reading = read_instrument_clock(instrument);
  if (!reading.answered) report_failure(streams, kClockNotRead);
  streams.out << (invocation.json ? clock_json(reading) : clock_text_output(reading));
  return reading.answered && order_confirmed ? kExitDone : kExitFailed;
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
  return run_on_port(invocation, streams, [&invocation, &streams](Instrument& instrument) {
    InstrumentInfo info;
    info.firmware = read_firmware_version(instrument);
    // As Connect does: only an instrument that gave its version is asked
    // for its clock.
    if (info.firmware) {
      info.clock = read_instrument_clock(instrument);
    } else {
      report_failure(streams, std::string(kNoAnswer) + " on " + invocation.port +
                                  ": is it connected, switched on and set to 2400 baud?");
    }
    if (info.clock && !info.clock->answered) report_failure(streams, kClockNotRead);
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
  return run_on_port(invocation, streams, [&invocation, &streams, &time](Instrument& instrument) {
    const bool confirmed = set_instrument_clock(instrument, *time);
    if (!confirmed) report_failure(streams, "the instrument did not confirm the new time");
    return print_clock(instrument, invocation, streams, confirmed);
  });
}
