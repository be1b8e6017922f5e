#include "cli/arguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>

#include "cli/exit_codes.h"
#include "cli/setting_names.h"

namespace {

constexpr const char* kDescription =
    "Configures and reads out a TARVELL 719K gas-measuring instrument on a serial port (2400 baud).";
constexpr const char* kHelpWord = "help";

const std::map<std::string, LogFormat> kLogFormats = {
    {"csv", LogFormat::csv}, {"list", LogFormat::list}, {"json", LogFormat::json}};

// A command that hands the options it does not know to its parent, so the
// common options work after the command too; what nobody knows ends up with
// the top level, which says so (see unknown_word).
CLI::App* add_command(CLI::App& parent, const char* name, const char* description) {
  CLI::App* command = parent.add_subcommand(name, description);
  command->fallthrough();
  command->allow_extras();
  return command;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

std::vector<std::string> command_names(const CLI::App& level) {
  std::vector<std::string> names;
  for (const CLI::App* command : level.get_subcommands({})) names.push_back(command->get_name());
  return names;
}

// The options that work at this level: its own and those of the levels above.
std::vector<std::string> option_names(const CLI::App* level) {
  std::vector<std::string> names;
  for (; level != nullptr; level = level->get_parent()) {
    for (const CLI::Option* option : level->get_options()) {
      std::string name;
      if (!option->get_lnames().empty()) {
        name = "--" + option->get_lnames().front();
      } else if (!option->get_snames().empty()) {
        name = "-" + option->get_snames().front();
      }
      if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

// The deepest command given, the top level when none.
const CLI::App* deepest_command(const CLI::App& app) {
  const CLI::App* level = &app;
  for (bool deeper = true; deeper;) {
    deeper = false;
    for (const CLI::App* command : level->get_subcommands({})) {
      if (command->parsed()) {
        level = command;
        deeper = true;
        break;
      }
    }
  }
  return level;
}

std::string where(const CLI::App* level) {
  std::string path;
  for (; level != nullptr && level->get_parent() != nullptr; level = level->get_parent()) {
    path = level->get_name() + (path.empty() ? "" : " " + path);
  }
  return path;
}

// What is wrong with a word the parser did not take, or with a command left
// without the command word it needs; empty when nothing is.
std::string unknown_word(const CLI::App& app) {
  const CLI::App* level = deepest_command(app);
  const std::vector<std::string> extras = app.remaining();
  const std::vector<std::string> commands = command_names(*level);
  const std::string context = where(level);
  const std::string of_level = context.empty() ? "" : " of " + context;
  if (!extras.empty() && extras.front().size() > 1 && extras.front()[0] == '-') {
    return "unknown option \"" + extras.front() + "\"; options" + of_level + ": " + joined(option_names(level));
  }
  if (!commands.empty()) {
    if (extras.empty()) return (context.empty() ? "no command given" : context + " needs a command") +
                               std::string("; commands") + of_level + ": " + joined(commands);
    return "unknown command \"" + extras.front() + "\"; commands" + of_level + ": " + joined(commands);
  }
  if (!extras.empty()) return "unexpected argument \"" + extras.front() + "\" after " + context;
  return std::string();
}

// "719k help config set" is "719k config set --help".
std::vector<std::string> with_help_word_as_option(int argc, const char* const* argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && words.front() == kHelpWord) {
    words.erase(words.begin());
    words.push_back("--help");
  }
  return words;
}

std::string settings_help() {
  std::string text = "Settings (NAME=VALUE; the JSON keys such as user_id work as names too):\n";
  for (Setting setting : kAllSettings) {
    const SettingName& name = setting_name(setting);
    if (!setting_rule(setting).writable) continue;
    text += "  " + std::string(name.name) + std::string(18 - std::string(name.name).size(), ' ') + name.description +
            ": " + setting_value_rule(setting) + "\n";
  }
  return text + "An empty value is sent as it is. Nothing is sent when any value is refused.\n";
}

void add_instrument_commands(CLI::App& app, Invocation& invocation, std::map<CLI::App*, CommandName>& commands,
                             std::string& format_name) {
  commands[add_command(app, "ports", "List the serial ports: name, a tab, description")] = CommandName::ports;
  commands[add_command(app, "info", "Show the firmware version and the instrument's clock")] = CommandName::info;

  CLI::App* config = add_command(app, "config", "Read or write the instrument's settings");
  commands[add_command(*config, "get", "Show the eight settings")] = CommandName::config_get;
  CLI::App* config_set =
      add_command(*config, "set", "Write the named settings, then show all eight as the instrument holds them");
  config_set->add_option("assignments", invocation.assignments, "NAME=VALUE, one or more (see below)");
  config_set->footer(settings_help());
  commands[config_set] = CommandName::config_set;

  CLI::App* clock = add_command(app, "clock", "Set the instrument's clock");
  CLI::App* clock_set = add_command(*clock, "set", "Set the clock, then show it as the instrument holds it");
  clock_set->add_option("--time", invocation.time, "\"YYYY-MM-DD HH:MM\" (default: the local time now)");
  commands[clock_set] = CommandName::clock_set;

  CLI::App* log = add_command(app, "log", "Download or erase the instrument's data log");
  CLI::App* log_download = add_command(*log, "download", "Download the whole data log (default: CSV on stdout)");
  log_download->add_option("-o,--output", invocation.output_path,
                           "Write to FILE instead of standard output, replacing it only once the download is whole");
  log_download->add_option("--format", format_name, "csv, list or json")
      ->check(CLI::IsMember({"csv", "list", "json"}, CLI::ignore_case));
  commands[log_download] = CommandName::log_download;
  log_download->add_flag("--store", invocation.store, "Also keep the download in the survey archive");
  CLI::App* log_erase = add_command(*log, "erase", "Erase the readings stored in the instrument");
  log_erase->add_flag("--yes", invocation.yes, "Do not ask (needed when not run from a terminal)");
  commands[log_erase] = CommandName::log_erase;
}

void add_collect_options(CLI::App& command, Invocation& invocation) {
  command.add_flag("--erase", invocation.erase,
                   "Erase the instrument's log once the whole download is stored and read back alike");
  command.add_flag("--set-clock", invocation.set_clock,
                   "Set the instrument's clock to the local time when it is off by more than --max-drift");
  command.add_option("--max-drift", invocation.max_drift_s, "SECONDS (default " + std::to_string(kDefaultMaxDriftS) + ")")
      ->check(CLI::PositiveNumber);
}

void add_filter_options(CLI::App& command, ReadingFilterArguments& filters) {
  command.add_option("--instrument", filters.instrument, "Only this instrument number");
  command.add_option("--user", filters.user, "Only this user ID");
  command.add_option("--location", filters.location, "Only this location");
  command.add_option("--since", filters.since, "From DATE on: YYYY-MM-DD or \"YYYY-MM-DD HH:MM\"");
  command.add_option("--until", filters.until, "Up to DATE, inclusive");
}

void add_archive_commands(CLI::App& app, Invocation& invocation, std::map<CLI::App*, CommandName>& commands,
                          std::string& format_name) {
  CLI::App* collect = add_command(app, "collect",
                                  "Download the instrument's settings and log into the survey archive, checking what "
                                  "was stored");
  add_collect_options(*collect, invocation);
  commands[collect] = CommandName::collect;

  CLI::App* dock = add_command(app, "dock", "Collect every instrument docked on the ports given, as it comes");
  add_collect_options(*dock, invocation);
  dock->add_option("--poll", invocation.poll_s, "SECONDS between looks at each port (default " +
                                                    std::to_string(kDefaultPollS) + ")")
      ->check(CLI::PositiveNumber);
  commands[dock] = CommandName::dock;

  CLI::App* archive = add_command(app, "archive", "Look into the survey archive, or import CSV files into it");
  commands[add_command(*archive, "list", "The downloads, newest first")] = CommandName::archive_list;
  CLI::App* readings = add_command(*archive, "readings", "The readings in the order they arrived (default: CSV)");
  add_filter_options(*readings, invocation.filters);
  readings->add_option("--format", format_name, "csv or json")->check(CLI::IsMember({"csv", "json"}, CLI::ignore_case));
  commands[readings] = CommandName::archive_readings;
  CLI::App* history = add_command(*archive, "history", "What was done to the instruments, oldest first");
  history->add_option("--instrument", invocation.filters.instrument, "Only this instrument number");
  commands[history] = CommandName::archive_history;
  CLI::App* import = add_command(*archive, "import", "Add the readings of CSV files written by Export Log or 719k");
  import->add_option("files", invocation.files, "FILE.csv, one or more")->required();
  commands[import] = CommandName::archive_import;
  commands[add_command(*archive, "check", "Check the archive's file: integrity, schema version, counts")] =
      CommandName::archive_check;
}

void add_report_command(CLI::App& app, Invocation& invocation, std::map<CLI::App*, CommandName>& commands) {
  CLI::App* report = add_command(app, "report",
                                 "One HTML page of the survey with charts, from CSV files or else the archive");
  report->add_option("files", invocation.files, "FILE.csv written by Export Log or 719k (default: the archive)");
  report->add_option("-o,--output", invocation.output_path, "Write to FILE instead of standard output");
  report->add_flag("--open", invocation.open, "Also open the written page (-o FILE) in the default browser");
  add_filter_options(*report, invocation.filters);
  report->add_option("--leak-ppm", invocation.leak_ppm,
                     "PPM at or above which a reading is a leak (default: each download's alarm setting)")
      ->check(CLI::NonNegativeNumber);
  report->add_option("--title", invocation.title, "The page's title (default \"Survey report\")");
  commands[report] = CommandName::report;
}

}  // namespace

std::string program_and_version() { return std::string(kProgramName) + " " + SET719K_VERSION; }

ParsedArguments parse_arguments(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Invocation invocation;
  invocation.arguments.assign(argv + 1, argv + argc);
  CLI::App app{kDescription, kProgramName};
  app.set_version_flag("-V,--version", program_and_version());
  app.footer(std::string("The options --port, --archive, --trace, --json, --quiet and --progress may stand before or "
                         "after the command. \"719k help COMMAND\" shows a command's help.\n\n") +
             kExitCodesHelp);
  app.allow_extras();
  app.add_option("--port", invocation.ports, "Serial port, e.g. /dev/ttyUSB0 or COM3 (dock: each port to serve)")
      ->envname(kPortVariable);
  app.add_option("--archive", invocation.archive_path, "The survey archive's file (default: SET719K_ARCHIVE, else the "
                                                       "user's data folder)");
  app.add_option("--trace", invocation.trace_path, "Write the exchange with the instrument to FILE (JSON Lines)");
  app.add_flag("--json", invocation.json, "JSON on standard output instead of text");
  app.add_flag("--quiet", invocation.quiet, "Nothing on standard error but errors");
  app.add_flag("--progress", invocation.progress,
               "What the program is doing, one line per event with the date and time, also off a terminal");

  std::map<CLI::App*, CommandName> commands;
  std::string format_name = "csv";
  add_instrument_commands(app, invocation, commands, format_name);
  add_archive_commands(app, invocation, commands, format_name);
  add_report_command(app, invocation, commands);

  std::vector<std::string> words = with_help_word_as_option(argc, argv);
  std::reverse(words.begin(), words.end());  // CLI11 takes them last first
  try {
    app.parse(words);
  } catch (const CLI::Success& request) {
    app.exit(request, out, err);  // --help or --version
    return ParsedArguments{std::nullopt, kExitDone};
  } catch (const CLI::ParseError& error) {
    err << kProgramName << ": " << error.what() << " (see " << kProgramName << " --help)\n";
    return ParsedArguments{std::nullopt, kExitUsage};
  }
  const std::string problem = unknown_word(app);
  if (!problem.empty()) {
    err << kProgramName << ": " << problem << " (see " << kProgramName << " --help)\n";
    return ParsedArguments{std::nullopt, kExitUsage};
  }
  for (const auto& [command, name] : commands) {
    if (command->parsed()) invocation.command = name;
  }
  if (invocation.ports.size() > 1 && invocation.command != CommandName::dock) {
    err << kProgramName << ": --port is given " << invocation.ports.size()
        << " times; only dock serves several ports (see " << kProgramName << " --help)\n";
    return ParsedArguments{std::nullopt, kExitUsage};
  }
  if (!invocation.ports.empty()) invocation.port = invocation.ports.front();
  invocation.format = invocation.json ? LogFormat::json : kLogFormats.at(CLI::detail::to_lower(format_name));
  return ParsedArguments{invocation, kExitDone};
}
