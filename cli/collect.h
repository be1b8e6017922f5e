#pragma once
// The docking session for one instrument, on a port that is open and an
// archive that is open: firmware, clock, the eight settings and the log
// read; stored as one download and read back line by line; then, only for
// a complete download stored alike and only when asked, the log erased and
// the clock set; a `collect` event for the run.
//
// Any failure ends the session: after an instrument that did not answer,
// an archive that could not be written or a stop request, nothing more is
// sent. A download that stopped part-way or was interrupted is stored all
// the same, marked incomplete, since its readings are real. Printing the
// summary is the front end's.

#include <cstdint>
#include <optional>
#include <string>

#include "archive/archive.h"
#include "cli/commands.h"
#include "cli/port_session.h"
#include "instrument/clock.h"

struct CollectOptions {
  bool erase = false;
  bool set_clock = false;
  int max_drift_s = 0;
};

struct CollectSummary {
  std::optional<std::string> instrument;  // as its settings show it
  std::optional<std::string> firmware;
  std::optional<ClockReading> clock;      // as read before the download
  std::optional<std::int64_t> download_id;
  std::size_t lines = 0;
  std::int64_t readings = 0;              // in the lines received
  std::int64_t new_readings = 0;
  bool complete = false;
  bool erased = false;
  bool clock_set = false;
};

struct CollectResult {
  CollectSummary summary;
  int exit_code = 0;  // kExitDone, kExitFailed or kExitArchive; a stop's is the caller's
};

CollectResult collect_instrument(PortSession& session, Archive& archive, const std::string& archive_path,
                                 const CollectOptions& options, const Streams& streams);
