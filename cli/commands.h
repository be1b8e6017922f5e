#pragma once
// Running a parsed 719k command: check its values, open the port, do the
// operation through the instrument core, write what came back, close the
// port, and answer with the exit code (cli/exit_codes.h).
//
// Everything a command refuses is refused before the port is opened, so a
// usage error never sends a byte. Once open, the input already waiting in
// the port is thrown away (an interrupted earlier run, or a USB adapter's
// buffer, may have left bytes that would spoil the first reply). The port is
// closed, its settings restored, on every way out; an interrupt ends the
// exchange in progress, what was read is still written, and the exit code
// is 130.

#include <istream>
#include <ostream>

#include "cli/arguments.h"

struct Streams {
  std::istream& in;  // the answer to log erase's question
  std::ostream& out;
  std::ostream& err;
};

int run_command(const Invocation& invocation, const Streams& streams);
