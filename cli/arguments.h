#pragma once
// The command line of 719k, parsed with CLI11 into a plain Invocation.
//
// Common options (--port, --archive, --trace, --json, --quiet, --progress)
// may stand before or after the command; --port falls back on the
// environment variable SET719K_PORT and is given once, except to dock,
// which serves every port given. --help works on every level, as does
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

enum class CommandName {
  ports,
  info,
  config_get,
  config_set,
  clock_set,
  log_download,
  log_erase,
  collect,
  dock,
  archive_list,
  archive_readings,
  archive_history,
  archive_import,
  archive_check,
  report,
};
enum class LogFormat { csv, list, json };

// --instrument, --user, --location, --since and --until as given
// (cli/reading_filters.h reads them).
struct ReadingFilterArguments {
  std::optional<std::string> instrument;
  std::optional<std::string> user;
  std::optional<std::string> location;
  std::optional<std::string> since;
  std::optional<std::string> until;
};

inline constexpr int kDefaultMaxDriftS = 120;
inline constexpr int kDefaultPollS = 5;

struct Invocation {
  CommandName command = CommandName::info;
  std::vector<std::string> arguments;  // the command line as given, for the trace
  std::string port;                    // the first --port, or SET719K_PORT
  std::vector<std::string> ports;      // every --port (dock)
  std::string archive_path;            // --archive; empty: cli/archive_location.h decides
  std::string trace_path;
  bool json = false;
  bool quiet = false;
  bool progress = false;                 // the status as timestamped lines, terminal or not
  std::vector<std::string> assignments;  // config set
  std::optional<std::string> time;       // clock set --time
  std::string output_path;               // log download and report -o; empty: stdout
  LogFormat format = LogFormat::csv;     // log download, archive readings; --json means json
  bool yes = false;                      // log erase
  bool store = false;                    // log download --store
  bool erase = false;                    // collect, dock
  bool set_clock = false;                // collect, dock
  int max_drift_s = kDefaultMaxDriftS;   // collect, dock
  int poll_s = kDefaultPollS;            // dock
  ReadingFilterArguments filters;        // archive readings, archive history (instrument), report
  std::vector<std::string> files;        // archive import, report: CSV files
  bool open = false;                     // report --open
  std::optional<double> leak_ppm;        // report
  std::string title;                     // report; empty: the report's own
};

// "719k 1.0.0": the version line, and who stored a download.
std::string program_and_version();

struct ParsedArguments {
  std::optional<Invocation> invocation;  // none: exit at once with exit_code
  int exit_code = 0;
};

// Parses argv[1..argc-1]. Help and the version go to out (exit code 0), the
// parser's errors to err (the usage exit code).
ParsedArguments parse_arguments(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
