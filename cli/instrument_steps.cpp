#include "cli/instrument_steps.h"

#include <algorithm>
#include <optional>

#include "cli/failure_messages.h"
#include "cli/messages.h"
#include "cli/setting_names.h"

std::string counted(const char* what, std::size_t done, std::size_t all) {
  return std::string(what) + " " + std::to_string(done) + "/" + std::to_string(all);
}

SettingTexts read_settings_reporting(PortSession& session, const Streams& streams,
                                     const SettingSelection& selection) {
  const auto wanted = static_cast<std::size_t>(std::count(selection.begin(), selection.end(), true));
  std::size_t read = 0;
  session.status.phase(counted("reading the settings", 1, wanted));
  return read_settings(
      session.instrument,
      [&](Setting setting, const std::optional<std::string>& value) {
        if (!value) {
          report_failure(streams, "could not read the setting " + setting_named_in_full(setting) + ": " +
                                      failure_message(session.instrument.last_failure(), session.port));
          return false;
        }
        if (++read < wanted) session.status.phase(counted("reading the settings", read + 1, wanted));
        return true;
      },
      selection);
}

std::optional<std::string> read_instrument_number_reporting(PortSession& session, const Streams& streams) {
  SettingSelection instrument_number{};
  instrument_number[static_cast<std::size_t>(Setting::instrument_number)] = true;
  return text_of(read_settings_reporting(session, streams, instrument_number), Setting::instrument_number);
}

SettingSelection settings_with_values(const SettingTexts& values) {
  SettingSelection selection{};
  for (std::size_t index = 0; index < kSettingCount; ++index) selection[index] = values[index].has_value();
  return selection;
}

bool all_read(const SettingTexts& values, const SettingSelection& selection) {
  for (Setting setting : kAllSettings) {
    if (selection[static_cast<std::size_t>(setting)] && !text_of(values, setting)) return false;
  }
  return true;
}

ClockReading read_clock_reporting(PortSession& session, const Streams& streams) {
  session.status.phase("reading the clock");
  const ClockReading reading = read_instrument_clock(session.instrument);
  if (!reading.answered) {
    report_failure(streams, "could not read the clock: " +
                                failure_message(session.instrument.last_failure(), session.port));
  }
  return reading;
}

ClockSetting set_clock_reporting(PortSession& session, const Streams& streams, const std::tm& local_time) {
  ClockSetting setting;
  session.status.phase("setting the clock");
  setting.confirmed = set_instrument_clock(session.instrument, local_time);
  if (!setting.confirmed) {
    const LinkFailure failure = session.instrument.last_failure();
    report_failure(streams, order_failure_message(failure, session.port, "the new time"));
    setting.line_dead = failure == LinkFailure::silence;
    if (setting.line_dead) return setting;
  }
  setting.after = read_clock_reporting(session, streams);
  return setting;
}
