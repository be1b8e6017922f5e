#pragma once
// The instrument's data log: downloading it into the log line store, reading
// back what was downloaded, and erasing the readings stored in the
// instrument.
//
// A download runs the log transfer (link/log_transfer.h) and tells how it
// ended; whatever the outcome, the store then holds exactly the lines that
// the instrument sent and acknowledged in this transfer, in order, so a
// partial log is kept and never mixed with an earlier one. The store is the
// program's only copy of the log; the front ends read it through
// downloaded_log_lines.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

enum class DownloadOutcome {
  complete,   // the instrument sent the whole log, up to "EOT"
  failed,     // it stopped answering, or the port failed
  cancelled,  // a cancel request (link/link_cancel.h) ended it
};

// Called before each line is asked for, with the lines received so far.
using LineProgressCallback = std::function<void(std::size_t lines_received)>;

DownloadOutcome download_data_log(const LineProgressCallback& on_line_exchange);

// The lines of the last download, in order, without the end of the log.
std::vector<std::string> downloaded_log_lines();

// Sends "DO RESET LOG". True when the instrument confirmed it.
bool erase_data_log();
