#pragma once
// The log list: the downloaded log as the operator sees it, line by line,
// with a blank separator item above every banner line so that each session
// of the instrument stands apart. The dialog's list and `719k log download
// --format list` show these items; printing prints them.
//
// The instrument sends its banner with two leading blanks and its short
// column header; the list shows the banner with one and the long header.
// Every other line is shown as received.

#include <string>
#include <vector>

inline constexpr const char* kReceivedBanner = "  719   VER. 3.1";
inline constexpr const char* kBannerLine = " 719   VER. 3.1";
inline constexpr const char* kShortColumnHeader = "                 LOC.        PPM    STATUS ";
inline constexpr const char* kLongColumnHeader = "                            LOC.         PPM     STATUS";
inline constexpr const char* kSeparatorItem = " ";

// The form in which the list shows a line as received.
std::string shown_line(const std::string& received);

// Every log line in its shown form, with kSeparatorItem in front of each
// banner line.
std::vector<std::string> log_list_items(const std::vector<std::string>& log_lines);
