// How long two downloads take together against each alone: two
// instrument-sim processes pacing their replies at 2400 baud, as a real line
// does, each served by a thread of its own through the POSIX port. Run by
// hand (not by ctest):
//   <build>/tests/bench/two_downloads_bench [LINES]
// Prints the seconds of each download alone and of both at once; at once
// should take about as long as the longer one alone.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "instrument/data_log.h"
#include "link/serial_port.h"
#include "tests/tools/sim_process.h"
#include "tools/instrument_state_file.h"

namespace {

constexpr int kDefaultLines = 20;

std::string state_file(const std::string& name, const std::string& prefix, int lines) {
  const std::string path = (std::filesystem::temp_directory_path() / ("two_downloads_bench_" + name + ".txt")).string();
  InstrumentState state = default_instrument_state();
  for (int i = 0; i < lines; ++i) state.log_lines.push_back(prefix + std::to_string(1000 + i) + "    OK");
  std::string error;
  if (!save_instrument_state(path, state, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  return path;
}

// Seconds for the whole download; exits when it did not complete.
double timed_download(const std::string& pty, int lines) {
  const auto start = std::chrono::steady_clock::now();
  CancelToken cancel;
  SerialPortOpening opening = open_serial_port(pty, cancel);
  if (!opening.port) std::exit(1);
  Instrument instrument(*opening.port);
  const DataLogDownload download = download_data_log(instrument, nullptr);
  if (download.outcome != DownloadOutcome::complete || download.lines.size() != static_cast<std::size_t>(lines)) {
    std::fprintf(stderr, "a download did not complete\n");
    std::exit(1);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : kDefaultLines;
  const std::string first_state = state_file("first", "05/23/08 1432   A00017       ", lines);
  const std::string second_state = state_file("second", "06/01/09 0915   B00102       ", lines);
  SimProcess first({"--state", first_state, "--save-state", first_state + ".saved", "--paced"});
  SimProcess second({"--state", second_state, "--save-state", second_state + ".saved", "--paced"});

  const double first_alone = timed_download(first.pty, lines);
  const double second_alone = timed_download(second.pty, lines);
  const auto start = std::chrono::steady_clock::now();
  double first_together = 0;
  std::thread first_thread([&] { first_together = timed_download(first.pty, lines); });
  const double second_together = timed_download(second.pty, lines);
  first_thread.join();
  const double together = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("%d-line logs at 2400 baud\n", lines);
  std::printf("first alone    %6.2f s\nsecond alone   %6.2f s\n", first_alone, second_alone);
  std::printf("both at once   %6.2f s (first %.2f s, second %.2f s)\n", together, first_together, second_together);
  return 0;
}
