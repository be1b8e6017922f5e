// info and clock set: what the instrument tells of itself (its firmware
// version and its clock), and the clock set and read back, printed as
// aligned lines or JSON.
//
// With a survey archive there, clock set first reads the instrument number
// and the clock, and records the clock before and after as an event; when
// they cannot be read, the clock is not set. Without one, the wire is that
// of a plain set and read back.

#include <ctime>
#include <optional>
#include <string>

#include "cli/archive_access.h"
#include "cli/change_records.h"
#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/instrument_steps.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "cli/time_argument.h"
#include "cli/wall_clock.h"
#include "instrument/clock.h"
#include "instrument/firmware.h"

namespace {

// What the record of a clock set needs from before it: none when it could
// not be read.
struct ClockBefore {
  std::optional<std::string> instrument;
  ClockReading clock;
};

std::optional<ClockBefore> read_clock_before(PortSession& session, const Streams& streams) {
  ClockBefore before;
  before.instrument = read_instrument_number_reporting(session, streams);
  if (before.instrument) before.clock = read_clock_reporting(session, streams);
  if (!before.clock.answered) {
    report_failure(streams,
                   "the clock was not set: the archive's record needs the instrument number and the clock before");
    return std::nullopt;
  }
  return before;
}

}  // namespace

int run_info(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    InstrumentInfo info;
    info.firmware = read_firmware_version(session.instrument);
    // As Connect does: only an instrument that gave its version is asked
    // for its clock.
    if (info.firmware) {
      info.clock = read_clock_reporting(session, streams);
    } else {
      report_failure(streams, failure_message(session.instrument.last_failure(), session.port));
    }
    streams.out << (invocation.json ? info_json(info) : info_text(info));
    return info.firmware && info.clock->answered ? kExitDone : kExitFailed;
  });
}

int run_clock_set(const Invocation& invocation, const Streams& streams) {
  std::string error = "the computer's local time cannot be read";
  const std::optional<std::tm> time = invocation.time ? parse_time_argument(*invocation.time, error) : local_tm_now();
  if (!time) {
    report(streams, "clock set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&invocation, &streams, &time](PortSession& session) {
    CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::record);
    if (opened.failed) return kExitArchive;
    std::optional<ClockBefore> before;
    if (opened.archive && !(before = read_clock_before(session, streams))) return kExitFailed;
    const ClockSetting setting = set_clock_reporting(session, streams, *time);
    if (setting.line_dead) return kExitFailed;  // nothing more is sent
    streams.out << (invocation.json ? clock_json(setting.after) : clock_text_output(setting.after));
    const int exit_code = setting.after.answered && setting.confirmed ? kExitDone : kExitFailed;
    if (!opened.archive) return exit_code;
    const bool recorded =
        record_change(*opened.archive, streams, EventKind::clock_set, session.port, before->instrument,
                      clock_change_detail(before->clock, setting.after, setting.confirmed, std::nullopt));
    return recorded ? exit_code : kExitArchive;
  });
}
