// config get and config set: the eight settings read, and the named ones
// written and then all read back, printed as aligned lines or JSON.
//
// Unlike the dialog, every order's result is checked: an order the
// instrument did not confirm is named and makes the exit code 1. The reads
// stop at the first query that failed, since after the link's retries the
// rest would fail the same way, each after another 13 s; what was read is
// printed all the same. A line that stays silent through the first
// exchange is dead: nothing more is sent to it.
//
// With a survey archive there, config set first reads the named settings'
// old values and records old and new ones as an event; when they cannot be
// read, nothing is written, so that no change goes unrecorded. Without one,
// the wire is that of a plain write and read back.

#include <algorithm>
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
#include "cli/setting_names.h"
#include "instrument/settings.h"

namespace {

// Reads and prints the eight settings.
SettingTexts print_settings(PortSession& session, const Invocation& invocation, const Streams& streams) {
  const SettingTexts values = read_settings_reporting(session, streams);
  streams.out << (invocation.json ? settings_json(values) : settings_text(values));
  return values;
}

struct SettingsWritten {
  SettingOrderOutcomes outcomes{};
  bool all_confirmed = true;
  bool line_dead = false;
};

SettingsWritten write_named_settings(PortSession& session, const Streams& streams, const SettingTexts& values) {
  SettingsWritten written;
  const auto orders = static_cast<std::size_t>(
      std::count_if(values.begin(), values.end(), [](const std::optional<std::string>& value) { return value; }));
  std::size_t sent = 0;
  session.status.phase(counted("writing the settings", 1, orders));
  written.outcomes = write_settings(session.instrument, values, [&](Setting setting, OrderOutcome outcome) {
    ++sent;
    if (outcome != OrderOutcome::confirmed) {
      written.all_confirmed = false;
      const LinkFailure failure = session.instrument.last_failure();
      written.line_dead = sent == 1 && failure == LinkFailure::silence;
      report_failure(streams, order_failure_message(failure, session.port, setting_name(setting).name));
    }
    if (sent < orders && !written.line_dead) session.status.phase(counted("writing the settings", sent + 1, orders));
    return !written.line_dead;
  });
  return written;
}

}  // namespace

int run_config_get(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    return all_read(print_settings(session, invocation, streams)) ? kExitDone : kExitFailed;
  });
}

int run_config_set(const Invocation& invocation, const Streams& streams) {
  std::string error;
  const std::optional<SettingTexts> values = parse_setting_assignments(invocation.assignments, error);
  if (!values) {
    report(streams, "config set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&](PortSession& session) {
    CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::record);
    if (opened.failed) return kExitArchive;
    SettingTexts before;
    if (opened.archive) {
      before = read_settings_reporting(session, streams, settings_with_values(*values));
      if (!all_read(before, settings_with_values(*values))) {
        report_failure(streams, "nothing was written: the archive's record needs the old values");
        return kExitFailed;
      }
    }
    const SettingsWritten written = write_named_settings(session, streams, *values);
    if (written.line_dead) return kExitFailed;
    const SettingTexts after = print_settings(session, invocation, streams);
    const int exit_code = all_read(after) && written.all_confirmed ? kExitDone : kExitFailed;
    if (!opened.archive) return exit_code;
    const std::optional<std::string>& instrument = text_of(after, Setting::instrument_number);
    const bool recorded =
        record_change(*opened.archive, streams, EventKind::config_set, session.port,
                      instrument ? instrument : text_of(before, Setting::instrument_number),
                      settings_change_detail(*values, before, after, written.outcomes));
    return recorded ? exit_code : kExitArchive;
  });
}
