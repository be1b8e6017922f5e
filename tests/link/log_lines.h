#pragma once
// The log line store as the tests of the log transfer see it: read under
// the readers' rule, and filled with an earlier download that a later
// transfer must never let show through.

#include <string>
#include <vector>

#include "link/log_store.h"

// The store as its readers see it.
inline std::vector<std::string> store_lines() {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < log_store_line_count(); ++i) lines.push_back(log_store_line(i));
  return lines;
}

inline std::vector<std::string> numbered_lines(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

// Leaves an earlier download in the store, as a previous transfer would.
inline void store_earlier_download(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) log_store_put(i, lines[i]);
  log_store_end_at(lines.size());
}
