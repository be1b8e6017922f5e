#pragma once
// The instrument's firmware version: the query that proves an instrument
// answers on the port, and the version text it carries.
//
// The response line carries the version from position 13 on, behind a
// label nobody examines; a shorter line has no version behind its label.

#include <cstddef>
#include <optional>
#include <string>

#include "instrument/instrument.h"

inline constexpr std::size_t kFirmwareVersionPosition = 13;

// The version in a response line of "GET VERSION NUMBER": the text from
// position 13, empty when the line is not longer than that.
std::string firmware_version_of(const std::string& response_line);

// Queries "GET VERSION NUMBER". The version, or nothing when the instrument
// did not answer.
std::optional<std::string> read_firmware_version(Instrument& instrument);
