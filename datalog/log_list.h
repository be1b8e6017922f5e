#pragma once
// The log list: the downloaded log as the operator sees it, line by line,
// with a blank separator item above every banner line so that each session
// of the instrument stands apart. The dialog's list and `719k log download
// --format list` show these items; printing prints them.

#include <string>
#include <vector>

inline constexpr const char* kSeparatorItem = " ";

// Every log line unchanged, with kSeparatorItem in front of each line that
// is exactly the banner line.
std::vector<std::string> log_list_items(const std::vector<std::string>& log_lines);
