#include "cli/commands.h"

#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/status_line.h"

namespace {

struct CommandEntry {
  CommandName name;
  int (*run)(const Invocation& invocation, const Streams& streams);
};

constexpr CommandEntry kCommands[] = {
    {CommandName::ports, run_ports},           {CommandName::info, run_info},
    {CommandName::config_get, run_config_get}, {CommandName::config_set, run_config_set},
    {CommandName::clock_set, run_clock_set},   {CommandName::log_download, run_log_download},
    {CommandName::log_erase, run_log_erase},   {CommandName::collect, run_collect},
    {CommandName::archive_list, run_archive_list},         {CommandName::archive_readings, run_archive_readings},
    {CommandName::archive_history, run_archive_history},   {CommandName::archive_import, run_archive_import},
    {CommandName::archive_check, run_archive_check},       {CommandName::report, run_report},
    {CommandName::dock, run_dock},
};

int dispatch(const Invocation& invocation, const Streams& streams) {
  for (const CommandEntry& command : kCommands) {
    if (command.name == invocation.command) return command.run(invocation, streams);
  }
  return kExitUsage;
}

}  // namespace

int run_command(const Invocation& invocation, const Streams& streams) {
  StatusLine status(streams.err, status_form(stderr_is_terminal(), invocation.quiet, invocation.progress));
  const Streams with_status{streams.in, streams.out, streams.err, &status};
  int exit_code = dispatch(invocation, with_status);
  // A full disk or a closed pipe shows only when the output is flushed.
  if (!streams.out.flush()) {
    report(with_status, "cannot write to standard output");
    if (exit_code == kExitDone) exit_code = kExitFailed;
  }
  return exit_code;
}
