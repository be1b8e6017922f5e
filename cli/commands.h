#pragma once
// Running a parsed 719k command: check its values, open the port, do the
// operation through the instrument core, write what came back, close the
// port, and answer with the exit code (cli/exit_codes.h).
//
// Everything a command refuses is refused before the port is opened, so a
// usage error never sends a byte; so is an output file that could not be
// written. The port is closed, its settings restored, on every way out; a
// stop request (Ctrl-C, SIGHUP, SIGTERM) ends the exchange in progress, what
// was read is still written, and the exit code is the stop's. Standard
// output that could not be written is a failure of every command.

#include <istream>
#include <ostream>

#include "cli/arguments.h"

class StatusLine;

struct Streams {
  std::istream& in;  // the answer to log erase's question
  std::ostream& out;
  std::ostream& err;
  StatusLine* status = nullptr;  // cleared before a message goes to err
};

int run_command(const Invocation& invocation, const Streams& streams);
