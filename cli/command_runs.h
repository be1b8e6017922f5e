#pragma once
// The commands of 719k one by one, and what they share; only commands.cpp
// and the command files include this.

#include <functional>
#include <string>

#include "cli/commands.h"

// "719k: " and the message on standard error.
void report(const Streams& streams, const std::string& message);
// What the instrument did not do; nothing after an interrupt, which is
// reported on its own.
void report_failure(const Streams& streams, const std::string& message);
// The same, unless --quiet.
void inform(const Invocation& invocation, const Streams& streams, const std::string& message);

// Opens the port, starts the trace and runs body on it; closes the port
// whatever happens. The exit code of body, or of what went wrong before it,
// or kExitInterrupted after an interrupt.
int run_on_port(const Invocation& invocation, const Streams& streams, const std::function<int()>& body);

int run_info(const Invocation& invocation, const Streams& streams);
int run_config_get(const Invocation& invocation, const Streams& streams);
int run_config_set(const Invocation& invocation, const Streams& streams);
int run_clock_set(const Invocation& invocation, const Streams& streams);
int run_log_download(const Invocation& invocation, const Streams& streams);
int run_log_erase(const Invocation& invocation, const Streams& streams);
