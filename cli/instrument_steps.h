#pragma once
// The steps that several commands take with the instrument, each with its
// phase on the status line and, when it fails, the one message for its
// cause: the eight settings read (config get and set, collect) or some of
// them, the clock read (info, clock set, collect), and the clock set and
// read back (clock set, collect).
//
// They only do the step and report; what a failure means for the rest of
// the command is the command's to decide.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/port_session.h"
#include "instrument/clock.h"
#include "instrument/settings.h"

// "reading the settings 3/8".
std::string counted(const char* what, std::size_t done, std::size_t all);

// Reads the selected settings in the instrument's order, naming the one
// that failed; the reads end there, since the rest would fail the same way,
// each after another 13 s.
SettingTexts read_settings_reporting(PortSession& session, const Streams& streams,
                                     const SettingSelection& selection = kEverySetting);

// The instrument number alone: what a record or a stored download names the
// instrument by.
std::optional<std::string> read_instrument_number_reporting(PortSession& session, const Streams& streams);

// The settings that have a value.
SettingSelection settings_with_values(const SettingTexts& values);

// True when every selected setting has a value.
bool all_read(const SettingTexts& values, const SettingSelection& selection = kEverySetting);

ClockReading read_clock_reporting(PortSession& session, const Streams& streams);

struct ClockSetting {
  bool confirmed = false;
  bool line_dead = false;  // not one byte came back: nothing more was sent
  ClockReading after;      // read back unless the line is dead
};

// Sets the clock to local_time and reads it back.
ClockSetting set_clock_reporting(PortSession& session, const Streams& streams, const std::tm& local_time);
