#pragma once
// The instrument's data log: downloading it, and erasing the readings stored
// in the instrument.
//
// A download runs the log transfer and tells how it ended; whatever the
// outcome, it returns exactly the lines that the instrument sent and
// acknowledged in this transfer, in order and as received, so a partial log
// is kept and never mixed with an earlier one. The caller keeps them: the
// core holds no copy.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "instrument/instrument.h"

enum class DownloadOutcome {
  complete,   // the instrument sent the whole log, up to "EOT"
  failed,     // it stopped answering, or the port failed
  cancelled,  // the port's cancel token ended it
};

struct DataLogDownload {
  DownloadOutcome outcome = DownloadOutcome::failed;
  std::vector<std::string> lines;
};

// Called before each line is asked for, with the lines received so far.
using LineProgressCallback = std::function<void(std::size_t lines_received)>;

DataLogDownload download_data_log(Instrument& instrument, const LineProgressCallback& on_line_exchange);

// Sends "DO RESET LOG". True when the instrument confirmed it.
bool erase_data_log(Instrument& instrument);
