#pragma once
// What 719k says on standard error: every message begins with the
// program's name, so that a scheduled job's log tells who spoke.

#include <string>

#include "cli/commands.h"

// "719k: " and the message on standard error.
void report(const Streams& streams, const std::string& message);
// What the instrument did not do; nothing after an interrupt, which is
// reported on its own.
void report_failure(const Streams& streams, const std::string& message);
// The same as report, unless --quiet.
void inform(const Invocation& invocation, const Streams& streams, const std::string& message);
