#pragma once
// Puts a log into the log line store as a completed transfer leaves it, for
// tests of the readers that need no wire.

#include <string>
#include <vector>

#include "link/log_store.h"

inline void store_log_lines(const std::vector<std::string>& lines) {
  for (std::size_t slot = 0; slot < lines.size(); ++slot) log_store_put(slot, lines[slot]);
  log_store_end_at(lines.size());
}
