#pragma once
// The log line store: the program's only copy of the downloaded data log,
// filled by the log transfer and read by the log list and the CSV export.
//
// It holds the lines of the last transfer in the order received, each at most
// kLogLineMax characters, and then the end of the log ("EOT"). Readers walk
// from the first line up to, not including, the first line that is exactly
// "EOT". The store grows with the log, so no line of a long log is lost, and
// a transfer that fails still ends the store behind the lines acknowledged, so
// no reader ever sees lines of an earlier download.

#include <cstddef>
#include <string>

inline constexpr std::size_t kLogLineMax = 98;  // characters, without NUL
inline constexpr const char* kEndOfLog = "EOT";

// Reading rule: the number of log lines before the first "EOT" line.
std::size_t log_store_line_count();
const std::string& log_store_line(std::size_t index);

// --- Written by the log transfer only ---
// Puts a line (already in its stored form) into the given slot, growing the
// store as needed.
void log_store_put(std::size_t slot, const std::string& line);
// Ends the log behind the given slot: the slot holds "EOT" and nothing
// stays behind it.
void log_store_end_at(std::size_t slot);
