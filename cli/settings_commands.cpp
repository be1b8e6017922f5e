// config get and config set: the eight settings read, and the named ones
// written and then all read back, printed as aligned lines or JSON.
//
// Unlike the dialog, every order's result is checked: an order the
// instrument did not confirm is named and makes the exit code 1. The reads
// stop at the first query that failed, since after the link's retries the
// rest would fail the same way, each after another 13 s; what was read is
// printed all the same.

#include <algorithm>
#include <optional>
#include <string>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "cli/setting_names.h"
#include "instrument/settings.h"

namespace {

constexpr const char* kNoAnswer = "the instrument did not answer";

// Reads the eight settings, naming the one that failed (the reads end there).
SettingTexts read_all_settings(Instrument& instrument, const Streams& streams) {
  return read_settings(instrument, [&streams](Setting setting, const std::optional<std::string>& value) {
    if (!value) {
      report_failure(streams, std::string("could not read ") + setting_name(setting).name + ": " + kNoAnswer);
    }
    return value.has_value();
  });
}

int print_settings(Instrument& instrument, const Invocation& invocation, const Streams& streams,
                   bool orders_confirmed) {
  const SettingTexts values = read_all_settings(instrument, streams);
  const bool all_read =
      std::all_of(values.begin(), values.end(), [](const std::optional<std::string>& value) { return value.has_value(); });
  streams.out << (invocation.json ? settings_json(values) : settings_text(values));
  return all_read && orders_confirmed ? kExitDone : kExitFailed;
}

}  // namespace

int run_config_get(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](Instrument& instrument) {
    return print_settings(instrument, invocation, streams, true);
  });
}

int run_config_set(const Invocation& invocation, const Streams& streams) {
  std::string error;
  const std::optional<SettingTexts> values = parse_setting_assignments(invocation.assignments, error);
  if (!values) {
    report(streams, "config set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&invocation, &streams, &values](Instrument& instrument) {
    bool all_confirmed = true;
    write_settings(instrument, *values, [&streams, &all_confirmed](Setting setting, OrderOutcome outcome) {
      if (outcome == OrderOutcome::confirmed) return;
      all_confirmed = false;
      report_failure(streams, std::string("the instrument did not confirm ") + setting_name(setting).name);
    });
    return print_settings(instrument, invocation, streams, all_confirmed);
  });
}
