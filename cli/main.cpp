// 719k: the command-line front end of the instrument core, for scripts and
// for Linux. It parses the arguments, runs one command and exits with its
// code; data goes to standard output, messages to standard error.

#include <iostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"

int main(int argc, char** argv) {
  const ParsedArguments parsed = parse_arguments(argc, argv, std::cout, std::cerr);
  if (!parsed.invocation) return parsed.exit_code;
  use_binary_stdout();
  catch_interrupts();
  return run_command(*parsed.invocation, Streams{std::cin, std::cout, std::cerr});
}
