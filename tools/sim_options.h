#pragma once
// Command-line options of instrument-sim: where the instrument's state comes
// from and goes to, the transcript, and the fault knobs of the model.
//
// Parsing is separate from the program so that tests can check it without a
// pseudo-terminal. It only reads the arguments; files are opened by the
// program.

#include <string>

#include "tools/instrument_model.h"

struct SimOptions {
  std::string state_path;       // empty: the sample instrument, never written back
  std::string save_path;        // where changed state goes; empty: nowhere
  std::string transcript_path;  // empty: no transcript
  std::string link_path;        // a symlink to the pty slave; empty: none
  bool paced = false;           // replies go out at 2400 baud, not at once
  bool help = false;
  InstrumentFaults faults;
};

// Fills options from argv[1..argc-1]. With --state FILE and no --save-state,
// changes are saved back to FILE. False with a message on a bad option or
// value.
bool parse_sim_options(int argc, const char* const* argv, SimOptions& options, std::string& error);

const char* sim_usage();
