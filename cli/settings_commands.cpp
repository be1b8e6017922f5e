// config get and config set: the eight settings read, and the named ones
// written and then all read back, printed as aligned lines or JSON.
//
// Unlike the dialog, every order's result is checked: an order the
// instrument did not confirm is named and makes the exit code 1. The reads
// stop at the first query that failed, since after the link's retries the
// rest would fail the same way, each after another 13 s; what was read is
// printed all the same. A line that stays silent through the first
// exchange is dead: nothing more is sent to it.

#include <algorithm>
#include <optional>
#include <string>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "cli/setting_names.h"
#include "instrument/settings.h"

namespace {

std::string counted(const char* what, std::size_t done, std::size_t all) {
  return std::string(what) + " " + std::to_string(done) + "/" + std::to_string(all);
}

// Reads the eight settings, naming the one that failed (the reads end there).
SettingTexts read_all_settings(PortSession& session, const Streams& streams) {
  std::size_t read = 0;
  session.status.phase(counted("reading the settings", 1, kSettingCount));
  return read_settings(session.instrument, [&](Setting setting, const std::optional<std::string>& value) {
    if (!value) {
      report_failure(streams, "could not read the setting " + setting_named_in_full(setting) + ": " +
                                  failure_message(session.instrument.last_failure(), session.port));
      return false;
    }
    if (++read < kSettingCount) session.status.phase(counted("reading the settings", read + 1, kSettingCount));
    return true;
  });
}

int print_settings(PortSession& session, const Invocation& invocation, const Streams& streams,
                   bool orders_confirmed) {
  const SettingTexts values = read_all_settings(session, streams);
  const bool all_read =
      std::all_of(values.begin(), values.end(), [](const std::optional<std::string>& value) { return value.has_value(); });
  streams.out << (invocation.json ? settings_json(values) : settings_text(values));
  return all_read && orders_confirmed ? kExitDone : kExitFailed;
}

}  // namespace

int run_config_get(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    return print_settings(session, invocation, streams, true);
  });
}

int run_config_set(const Invocation& invocation, const Streams& streams) {
  std::string error;
  const std::optional<SettingTexts> values = parse_setting_assignments(invocation.assignments, error);
  if (!values) {
    report(streams, "config set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  const auto orders = static_cast<std::size_t>(
      std::count_if(values->begin(), values->end(), [](const std::optional<std::string>& value) { return value; }));
  return run_on_port(invocation, streams, [&](PortSession& session) {
    bool all_confirmed = true;
    bool line_dead = false;
    std::size_t sent = 0;
    session.status.phase(counted("writing the settings", 1, orders));
    write_settings(session.instrument, *values, [&](Setting setting, OrderOutcome outcome) {
      ++sent;
      if (outcome != OrderOutcome::confirmed) {
        all_confirmed = false;
        const LinkFailure failure = session.instrument.last_failure();
        line_dead = sent == 1 && failure == LinkFailure::silence;
        report_failure(streams, order_failure_message(failure, session.port, setting_name(setting).name));
      }
      if (sent < orders && !line_dead) session.status.phase(counted("writing the settings", sent + 1, orders));
      return !line_dead;
    });
    if (line_dead) return kExitFailed;
    return print_settings(session, invocation, streams, all_confirmed);
  });
}
