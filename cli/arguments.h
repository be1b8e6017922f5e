#pragma once
// The command line of 719k, parsed with CLI11 into a plain Invocation.
//
// Common options (--port, --trace, --json, --quiet, --progress) may stand
// before or after the command; --port falls back on the environment
// variable SET719K_PORT. --help works on every level, as does
// "719k help [COMMAND...]"; --version (-V) on the top. A word or option that
// the program does not know is named with the ones it does know at that
// place. The parser only reads the arguments: values are checked by the
// commands, before anything is sent.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr const char* kProgramName = "719k";
inline constexpr const char* kPortVariable = "SET719K_PORT";

enum class CommandName { ports, info, config_get, config_set, clock_set, log_download, log_erase };
enum class LogFormat { csv, list, json };

struct Invocation {
  CommandName command = CommandName::info;
  std::vector<std::string> arguments;  // the command line as given, for the trace
  std::string port;
  std::string trace_path;
  bool json = false;
  bool quiet = false;
  bool progress = false;                 // the status as timestamped lines, terminal or not
  std::vector<std::string> assignments;  // config set
  std::optional<std::string> time;       // clock set --time
  std::string output_path;               // log download -o; empty: stdout
  LogFormat format = LogFormat::csv;     // log download; --json means json
  bool yes = false;                      // log erase
};

struct ParsedArguments {
  std::optional<Invocation> invocation;  // none: exit at once with exit_code
  int exit_code = 0;
};

// Parses argv[1..argc-1]. Help and the version go to out (exit code 0), the
// parser's errors to err (the usage exit code).
ParsedArguments parse_arguments(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
