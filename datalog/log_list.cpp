#include "datalog/log_list.h"

#include "link/log_transfer.h"

std::vector<std::string> log_list_items(const std::vector<std::string>& log_lines) {
  std::vector<std::string> items;
  items.reserve(log_lines.size());
  for (const std::string& line : log_lines) {
    if (line == kBannerLine) items.emplace_back(kSeparatorItem);
    items.push_back(line);
  }
  return items;
}
