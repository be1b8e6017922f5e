// log download and log erase.
//
// A download keeps whatever it received. Its file (-o) is checked before
// anything is sent, and replaced only by a whole log: a download that
// stopped part-way or was interrupted leaves the file as it was and writes
// the lines it received, in the same format, to FILE.partial instead. On
// standard output the lines received are written either way, as a pipe
// cannot be taken back. The whole log is held in memory and written at the
// end.

#include <string>

#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/output_file.h"
#include "cli/port_session.h"
#include "datalog/readings.h"
#include "instrument/data_log.h"

namespace {

constexpr const char* kEraseQuestion = "Erase all readings stored in the instrument? [y/N] ";

std::size_t reading_count(const std::vector<std::string>& log_lines) {
  std::size_t readings = 0;
  for_each_reading(log_lines, [&readings](const Reading&) { return ++readings > 0; });
  return readings;
}

bool yes_answer(const std::string& answer) { return answer == "y" || answer == "Y" || answer == "yes"; }

// Writes what was downloaded where it belongs; false when it could not be.
bool write_download(const Invocation& invocation, const Streams& streams, const DataLogDownload& download) {
  const std::string bytes = log_output(download.lines, invocation.format);
  if (invocation.output_path.empty()) {
    streams.out << bytes;
    return true;
  }
  const bool whole = download.outcome == DownloadOutcome::complete;
  if (!whole && download.lines.empty()) return true;  // nothing to keep, and the file stays as it was
  const std::string path = whole ? invocation.output_path : partial_path(invocation.output_path);
  std::string error;
  if (!write_file_whole(path, bytes, error)) {
    report(streams, "cannot write " + path + ": " + error);
    return false;
  }
  if (!whole) report(streams, "the " + std::to_string(download.lines.size()) + " lines received are in " + path);
  return true;
}

}  // namespace

int run_log_download(const Invocation& invocation, const Streams& streams) {
  if (!invocation.output_path.empty()) {
    const std::string problem = output_path_problem(invocation.output_path);
    if (!problem.empty()) {
      report(streams, "cannot write " + invocation.output_path + ": " + problem + "; nothing was sent");
      return kExitUsage;
    }
  }
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    session.status.phase("downloading the log");
    const DataLogDownload download = download_data_log(
        session.instrument, [&session](std::size_t lines) { session.status.download_progress(lines); });
    const std::vector<std::string>& lines = download.lines;
    if (download.outcome == DownloadOutcome::failed) {
      report(streams, download_stopped_message(session.instrument.last_failure(), session.port, lines.size()));
    }
    if (!write_download(invocation, streams, download)) return kExitFailed;
    if (download.outcome != DownloadOutcome::complete) return kExitFailed;
    inform(invocation, streams,
           "downloaded " + std::to_string(lines.size()) + " log lines, " + std::to_string(reading_count(lines)) +
               " readings");
    return kExitDone;
  });
}

int run_log_erase(const Invocation& invocation, const Streams& streams) {
  if (!invocation.yes && !stdin_is_terminal()) {
    report(streams, "log erase needs --yes when not run from a terminal; nothing was sent");
    return kExitUsage;
  }
  // The port is taken before the question, so that a yes finds it still free.
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    if (!invocation.yes) {
      streams.status->clear();
      streams.err << kEraseQuestion << std::flush;
      std::string answer;
      std::getline(streams.in, answer);
      if (interrupted()) return kExitInterrupted;
      if (!yes_answer(answer)) {
        inform(invocation, streams, "nothing erased");
        return kExitDone;
      }
    }
    session.status.phase("erasing the readings");
    if (!erase_data_log(session.instrument)) {
      report_failure(streams, order_failure_message(session.instrument.last_failure(), session.port, "the erase"));
      return kExitFailed;
    }
    inform(invocation, streams, "the readings stored in the instrument are erased");
    return kExitDone;
  });
}
