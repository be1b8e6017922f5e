#pragma once
// The readings in scope of `archive readings` and `report`: --instrument,
// --user, --location, --since and --until, as the command line gives them.
//
// DATE is "YYYY-MM-DD" or "YYYY-MM-DD HH:MM" (a "T" for the blank as well);
// --since from its first minute, --until up to and with its last, so that
// "--until 2008-05-23" keeps the whole day. The bounds compare with a
// reading's ISO date/time: a reading whose date/time is no calendar time is
// left out by them.

#include <optional>
#include <string>

#include "archive/archive.h"
#include "cli/arguments.h"

// The filter, or nothing with the usage error in `error`.
std::optional<ReadingFilter> reading_filter_of(const ReadingFilterArguments& arguments, std::string& error);
