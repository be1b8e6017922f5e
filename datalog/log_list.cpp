#include "datalog/log_list.h"

std::string shown_line(const std::string& received) {
  if (received == kReceivedBanner) return kBannerLine;
  if (received == kShortColumnHeader) return kLongColumnHeader;
  return received;
}

std::vector<std::string> log_list_items(const std::vector<std::string>& log_lines) {
  std::vector<std::string> items;
  items.reserve(log_lines.size());
  for (const std::string& line : log_lines) {
    std::string item = shown_line(line);
    if (item == kBannerLine) items.emplace_back(kSeparatorItem);
    items.push_back(std::move(item));
  }
  return items;
}
