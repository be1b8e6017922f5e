#pragma once
// The log line store as tests see it: read under the readers' rule, and
// filled as a completed transfer leaves it.

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

// Puts a log into the store as a completed transfer leaves it: the earlier
// download that a transfer must hide, or the log that a reader walks.
inline void store_log_lines(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) log_store_put(i, lines[i]);
  log_store_end_at(lines.size());
}
