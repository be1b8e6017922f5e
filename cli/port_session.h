#pragma once
// A command's time on its port: the port opened exclusively (watching the
// interrupt token), the trace started, the input already waiting thrown
// away (an interrupted earlier run, or a USB adapter's buffer, may have left
// bytes that would spoil the first reply), the command's body run with the
// instrument on the port, and the port closed, its settings restored, on
// every way out. The status line hears the link and counts on while the
// line is waited for.

#include <functional>
#include <string>

#include "cli/commands.h"
#include "cli/status_line.h"
#include "instrument/instrument.h"

struct PortSession {
  Instrument& instrument;
  StatusLine& status;
  const std::string& port;
};

// The exit code of body, or of what went wrong before it (no port given,
// the trace file or the port could not be opened), or the stop's code after
// a stop request. The trace's last event holds that code.
int run_on_port(const Invocation& invocation, const Streams& streams,
                const std::function<int(PortSession& session)>& body);

// The stop's code and message when a stop request came, else exit_code.
int exit_code_after_stop(const Streams& streams, int exit_code);
