#include "cli/commands.h"

#include <iterator>

#include "cli/command_entries.h"
#include "cli/exit_codes.h"

namespace {

struct CommandEntry {
  CommandName name;
  int (*run)(const Invocation& invocation, const Streams& streams);
};

constexpr CommandEntry kCommands[] = {
    {CommandName::ports, run_ports},           {CommandName::info, run_info},
    {CommandName::config_get, run_config_get}, {CommandName::config_set, run_config_set},
    {CommandName::clock_set, run_clock_set},   {CommandName::log_download, run_log_download},
    {CommandName::log_erase, run_log_erase},
};

}  // namespace

int run_command(const Invocation& invocation, const Streams& streams) {
  for (const CommandEntry& command : kCommands) {
    if (command.name == invocation.command) return command.run(invocation, streams);
  }
  return kExitUsage;
}
