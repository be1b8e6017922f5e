#pragma once
// A command's time on its port: the port opened exclusively (watching the
// interrupt token), the trace started, the input already waiting thrown
// away (an interrupted earlier run, or a USB adapter's buffer, may have left
// bytes that would spoil the first reply), the command's body run with the
// instrument on the port, and the port closed, its settings restored, on
// every way out.

#include <functional>

#include "cli/commands.h"
#include "instrument/instrument.h"

// The exit code of body, or of what went wrong before it (no port given,
// the trace file or the port could not be opened), or kExitInterrupted
// after an interrupt.
int run_on_port(const Invocation& invocation, const Streams& streams,
                const std::function<int(Instrument& instrument)>& body);
