#include "cli/arguments.h"

#include <CLI/CLI.hpp>

#include <map>

#include "cli/exit_codes.h"

namespace {

constexpr const char* kDescription =
    "Configures and reads out a TARVELL 719K gas-measuring instrument on a serial port (2400 baud).";

const std::map<std::string, LogFormat> kLogFormats = {
    {"csv", LogFormat::csv}, {"list", LogFormat::list}, {"json", LogFormat::json}};

// A subcommand that hands the options it does not know to its parent, so
// the common options work after the command too.
CLI::App* add_command(CLI::App& parent, const char* name, const char* description) {
  CLI::App* command = parent.add_subcommand(name, description);
  command->fallthrough();
  return command;
}

}  // namespace

ParsedArguments parse_arguments(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Invocation invocation;
  CLI::App app{kDescription, kProgramName};
  app.set_version_flag("--version", std::string(kProgramName) + " " + SET719K_VERSION);
  app.footer(std::string("The options --port, --trace, --json and --quiet may stand before or after the command.\n\n") +
             kExitCodesHelp);
  app.require_subcommand(1);
  app.add_option("--port", invocation.port, "Serial port, e.g. /dev/ttyUSB0 or COM3")->envname(kPortVariable);
  app.add_option("--trace", invocation.trace_path, "Write the exchange with the instrument to FILE (JSON Lines)");
  app.add_flag("--json", invocation.json, "JSON on standard output instead of text");
  app.add_flag("--quiet", invocation.quiet, "Nothing on standard error but errors");

  std::map<CLI::App*, CommandName> commands;
  commands[add_command(app, "ports", "List the serial ports: name, a tab, description")] = CommandName::ports;
  commands[add_command(app, "info", "Show the firmware version and the instrument's clock")] = CommandName::info;

  CLI::App* config = add_command(app, "config", "Read or write the instrument's settings");
  config->require_subcommand(1);
  commands[add_command(*config, "get", "Show the eight settings")] = CommandName::config_get;
  CLI::App* config_set =
      add_command(*config, "set", "Write the named settings, then show all eight as the instrument holds them");
  config_set->add_option("assignments", invocation.assignments,
                         "NAME=VALUE; names: instrument, user-id, location, access-level (1, 2 or 3), alarm, span, "
                         "response-factor")
      ->required();
  commands[config_set] = CommandName::config_set;

  CLI::App* clock = add_command(app, "clock", "Set the instrument's clock");
  clock->require_subcommand(1);
  CLI::App* clock_set = add_command(*clock, "set", "Set the clock, then show it as the instrument holds it");
  clock_set->add_option("--time", invocation.time, "\"YYYY-MM-DD HH:MM\" (default: the local time now)");
  commands[clock_set] = CommandName::clock_set;

  CLI::App* log = add_command(app, "log", "Download or erase the instrument's data log");
  log->require_subcommand(1);
  CLI::App* log_download = add_command(*log, "download", "Download the whole data log (default: CSV on stdout)");
  log_download->add_option("-o,--output", invocation.output_path, "Write to FILE instead of standard output");
  std::string format_name = "csv";
  log_download->add_option("--format", format_name, "csv, list or json")
      ->check(CLI::IsMember({"csv", "list", "json"}, CLI::ignore_case));
  commands[log_download] = CommandName::log_download;
  CLI::App* log_erase = add_command(*log, "erase", "Erase the readings stored in the instrument");
  log_erase->add_flag("--yes", invocation.yes, "Do not ask (needed when not run from a terminal)");
  commands[log_erase] = CommandName::log_erase;

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& request) {
    app.exit(request, out, err);  // --help or --version
    return ParsedArguments{std::nullopt, kExitDone};
  } catch (const CLI::ParseError& error) {
    err << kProgramName << ": " << error.what() << " (see " << kProgramName << " --help)\n";
    return ParsedArguments{std::nullopt, kExitUsage};
  }
  for (const auto& [command, name] : commands) {
    if (command->parsed()) invocation.command = name;
  }
  invocation.format = invocation.json ? LogFormat::json : kLogFormats.at(CLI::detail::to_lower(format_name));
  return ParsedArguments{invocation, kExitDone};
}
