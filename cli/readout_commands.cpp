// info, config get, config set and clock set: readouts and orders whose
// results are printed as aligned lines or JSON.
//
// Unlike the dialog, every order's result is checked: an order the
// instrument did not confirm is named and makes the exit code 1. Readouts
// stop at the first query that failed, since after the link's retries the
// rest would fail the same way, each after another 13 s; what was read is
// printed all the same.

#include <algorithm>
#include <ctime>
#include <optional>
#include <string>

#include "cli/command_runs.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/setting_names.h"
#include "cli/time_argument.h"
#include "instrument/clock.h"
#include "instrument/firmware.h"
#include "instrument/settings.h"

namespace {

constexpr const char* kNoAnswer = "the instrument did not answer";
constexpr const char* kClockNotRead = "could not read the clock: the instrument did not answer";

// Reads the eight settings, naming the one that failed (the reads end there).
SettingTexts read_all_settings(const Streams& streams) {
  return read_settings([&streams](Setting setting, const std::optional<std::string>& value) {
    if (!value) {
      report_failure(streams, std::string("could not read ") + setting_name(setting).name + ": " + kNoAnswer);
    }
    return value.has_value();
  });
}

int print_settings(const Invocation& invocation, const Streams& streams, bool orders_confirmed) {
  const SettingTexts values = read_all_settings(streams);
  const bool all_read =
      std::all_of(values.begin(), values.end(), [](const std::optional<std::string>& value) { return value.has_value(); });
  streams.out << (invocation.json ? settings_json(values) : settings_text(values));
  return all_read && orders_confirmed ? kExitDone : kExitFailed;
}

int print_clock(const Invocation& invocation, const Streams& streams, bool order_confirmed) {
  const ClockReading reading = read_instrument_clock();
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
  return run_on_port(invocation, streams, [&invocation, &streams] {
    InstrumentInfo info;
    info.firmware = read_firmware_version();
    // As Connect does: only an instrument that gave its version is asked
    // for its clock.
    if (info.firmware) {
      info.clock = read_instrument_clock();
    } else {
      report_failure(streams, std::string(kNoAnswer) + " on " + invocation.port +
                                  ": is it connected, switched on and set to 2400 baud?");
    }
    if (info.clock && !info.clock->answered) report_failure(streams, kClockNotRead);
    streams.out << (invocation.json ? info_json(info) : info_text(info));
    return info.firmware && info.clock->answered ? kExitDone : kExitFailed;
  });
}

int run_config_get(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams,
                     [&invocation, &streams] { return print_settings(invocation, streams, true); });
}

int run_config_set(const Invocation& invocation, const Streams& streams) {
  std::string error;
  const std::optional<SettingTexts> values = parse_setting_assignments(invocation.assignments, error);
  if (!values) {
    report(streams, "config set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&invocation, &streams, &values] {
    bool all_confirmed = true;
    write_settings(*values, [&streams, &all_confirmed](Setting setting, OrderOutcome outcome) {
      if (outcome == OrderOutcome::confirmed) return;
      all_confirmed = false;
      report_failure(streams, std::string("the instrument did not confirm ") + setting_name(setting).name);
    });
    return print_settings(invocation, streams, all_confirmed);
  });
}

int run_clock_set(const Invocation& invocation, const Streams& streams) {
  std::string error = "the computer's local time cannot be read";
  const std::optional<std::tm> time = invocation.time ? parse_time_argument(*invocation.time, error) : local_time_now();
  if (!time) {
    report(streams, "clock set: " + error + "; nothing was sent");
    return kExitUsage;
  }
  return run_on_port(invocation, streams, [&invocation, &streams, &time] {
    const bool confirmed = set_instrument_clock(*time);
    if (!confirmed) report_failure(streams, "the instrument did not confirm the new time");
    return print_clock(invocation, streams, confirmed);
  });
}
