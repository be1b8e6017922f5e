#pragma once
// Log lines that tell themselves apart, for tests that only count and
// compare them: "prefix0", "prefix1", ...

#include <string>
#include <vector>

inline std::vector<std::string> numbered_lines(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}
