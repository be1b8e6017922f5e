// log download and log erase.
//
// A download keeps whatever it received: after a failure part-way or an
// interrupt, the lines that came are written in the chosen format before
// the program says what happened. The whole log is held in memory and
// written at the end, so a file is never left half written by the link.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/port_session.h"
#include "datalog/readings.h"
#include "instrument/data_log.h"

namespace {

constexpr const char* kEraseQuestion = "Erase all readings stored in the instrument? [y/N] ";

// The live line on a terminal: lines received and the time since the start.
class DownloadProgress {
 public:
  explicit DownloadProgress(const Streams& streams, bool shown) : streams_(streams), shown_(shown) {}
  ~DownloadProgress() {
    if (shown_ && updated_) streams_.err << '\n';
  }

  void update(std::size_t lines_received) {
    if (!shown_) return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_);
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%lld:%02lld", static_cast<long long>(seconds.count() / 60),
                  static_cast<long long>(seconds.count() % 60));
    streams_.err << '\r' << kProgramName << ": " << lines_received << " lines received, " << elapsed << std::flush;
    updated_ = true;
  }

 private:
  const Streams& streams_;
  const bool shown_;
  bool updated_ = false;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

bool write_output(const Invocation& invocation, const Streams& streams, const std::string& bytes) {
  if (invocation.output_path.empty()) {
    streams.out << bytes << std::flush;
    return static_cast<bool>(streams.out);
  }
  std::ofstream file(invocation.output_path, std::ios::binary | std::ios::trunc);
  file << bytes;
  file.close();
  return static_cast<bool>(file);
}

std::size_t reading_count(const std::vector<std::string>& log_lines) {
  std::size_t readings = 0;
  for_each_reading(log_lines, [&readings](const Reading&) {
    ++readings;
    return true;
  });
  return readings;
}

bool yes_answer(const std::string& answer) { return answer == "y" || answer == "Y" || answer == "yes"; }

}  // namespace

int run_log_download(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](Instrument& instrument) {
    DataLogDownload download;
    {
      DownloadProgress progress(streams, stderr_is_terminal() && !invocation.quiet);
      download = download_data_log(instrument, [&progress](std::size_t lines) { progress.update(lines); });
    }
    const DownloadOutcome outcome = download.outcome;
    const std::vector<std::string>& lines = download.lines;
    if (!write_output(invocation, streams, log_output(lines, invocation.format))) {
      report(streams, "cannot write " + (invocation.output_path.empty() ? "standard output" : invocation.output_path));
      return kExitFailed;
    }
    if (outcome == DownloadOutcome::failed) {
      report(streams, "the download did not complete: the instrument stopped answering after " +
                          std::to_string(lines.size()) + " lines");
      return kExitFailed;
    }
    if (outcome == DownloadOutcome::complete) {
      inform(invocation, streams,
             "downloaded " + std::to_string(lines.size()) + " log lines, " + std::to_string(reading_count(lines)) +
                 " readings");
    }
    return kExitDone;
  });
}

int run_log_erase(const Invocation& invocation, const Streams& streams) {
  if (!invocation.yes) {
    if (!stdin_is_terminal()) {
      report(streams, "log erase needs --yes when not run from a terminal; nothing was sent");
      return kExitUsage;
    }
    streams.err << kEraseQuestion << std::flush;
    std::string answer;
    std::getline(streams.in, answer);
    if (!yes_answer(answer)) {
      inform(invocation, streams, "nothing erased");
      return kExitDone;
    }
  }
  return run_on_port(invocation, streams, [&invocation, &streams](Instrument& instrument) {
    if (!erase_data_log(instrument)) {
      report_failure(streams, "the instrument did not confirm the erase");
      return kExitFailed;
    }
    inform(invocation, streams, "the readings stored in the instrument are erased");
    return kExitDone;
  });
}
