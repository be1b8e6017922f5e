#pragma once
// The instrument state file: what a simulated instrument holds (settings,
// clock, firmware version, data log) as a text file that people edit by hand
// and that tests read back after the program changed the instrument.
//
// Format, one item a line, lines ended by "\n" (a "\r" before it is dropped):
//   # comment                      only before the log marker
//   name = value                   the value is everything after "= ", kept
//                                  exactly, blanks included; "name =" is empty
//   [log]                          the marker; every later line is one log
//                                  line exactly as the instrument sends it,
//                                  without the final "EOT"
// Names: firmware_version, clock, instrument_number, user_id, location_code,
// access_level, operating_mode, alarm_setting, span_concentration,
// response_factor, logging_interval. A name left out keeps the value of
// default_instrument_state(); an unknown name is an error, so a typo cannot
// silently leave a default in place.
//
// Not handled: log lines holding "\r" or "\n" (the instrument frames each
// line on its own, so a log line never holds either).

#include <string>

#include "tools/instrument_model.h"

inline constexpr const char* kLogMarkerLine = "[log]";

// Parses the text of a state file. False with a message naming the line when
// the text is not a state file; state is then unspecified.
bool parse_instrument_state(const std::string& text, InstrumentState& state, std::string& error);
std::string format_instrument_state(const InstrumentState& state);

bool load_instrument_state(const std::string& path, InstrumentState& state, std::string& error);
// Writes to a temporary file beside path and renames it over path, so that a
// reader never sees half a file.
bool save_instrument_state(const std::string& path, const InstrumentState& state, std::string& error);
