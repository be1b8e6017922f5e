#include "link/command_vocabulary.h"

const CommandEntry& command_entry(Command command) {
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.command == command) return entry;
  }
  return kCommandTable[0];  // unreachable: the table lists every command
}
