// Benchmarks of the two walks over a long downloaded log: Export Log to a
// real file (one write per row) and the log list fill of Download Log.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/data_log_panel.h"
#include "app/dialog.h"
#include "app/dialog_connection.h"
#include "app/export_log.h"
#include "datalog/csv.h"
#include "datalog/log_list.h"
#include "datalog/readings.h"
#include "tests/bench/posix_files.h"
#include "tests/fakes/fake_serial_port.h"

namespace {

constexpr std::size_t kReadingsPerSession = 200;

// A log as a day's surveys leave it: sessions that each open with the
// banner, the column header and the instrument, user and mode lines.
std::vector<std::string> long_log(std::size_t line_count) {
  std::vector<std::string> lines;
  while (lines.size() < line_count) {
    for (const char* heading : {kReceivedBanner, kShortColumnHeader, " I...............000123",
                                " U...............000000042", " O...............M1"}) {
      if (lines.size() < line_count) lines.push_back(heading);
    }
    for (std::size_t i = 0; i < kReadingsPerSession && lines.size() < line_count; ++i) {
      const std::string location = std::to_string(100000 + lines.size() % 1000).substr(1);
      lines.push_back("05/23/08 1432   A" + location + "       125    OK");
    }
  }
  return lines;
}

std::size_t reading_count(const std::vector<std::string>& lines) {
  std::size_t readings = 0;
  for_each_reading(lines, [&readings](const Reading&) { return ++readings > 0; });
  return readings;
}

// Download Log of the log through the fake line, as the dialog keeps it for
// Export Log.
void download_into_the_dialog(const std::vector<std::string>& lines) {
  InstrumentModel model;
  model.state = default_instrument_state();
  model.state.log_lines = lines;
  FakeSerialLine line;
  line.attach(&model);
  fake_system_connect("COM1", line);
  open_dialog_connection("COM1");
  download_log(nullptr);
  close_dialog_connection();
}

std::string bench_export_path() {
  return (std::filesystem::temp_directory_path() / "datalog_bench_export.csv").string();
}

void BM_ExportLogToFile(benchmark::State& state) {
  const std::vector<std::string> lines = long_log(static_cast<std::size_t>(state.range(0)));
  const std::size_t rows = reading_count(lines);
  download_into_the_dialog(lines);
  const std::string path = bench_export_path();
  posix_files_set_export_path(path);
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
    export_log(nullptr);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
  state.counters["rows"] = static_cast<double>(rows);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportLogToFile)->Arg(100000)->Unit(benchmark::kMillisecond);

// The rows alone, without the file: what composing costs.
void BM_ComposeExportRows(benchmark::State& state) {
  const std::vector<std::string> lines = long_log(static_cast<std::size_t>(state.range(0)));
  const std::size_t rows = reading_count(lines);
  for (auto _ : state) {
    std::size_t bytes = 0;
    for_each_csv_row(lines, [&bytes](const std::string& row) {
      bytes += row.size();
      return true;
    });
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
}
BENCHMARK(BM_ComposeExportRows)->Arg(100000)->Unit(benchmark::kMillisecond);

// The list's items built from the downloaded lines and handed over in one
// batch.
void BM_LogListFill(benchmark::State& state) {
  const std::vector<std::string> lines = long_log(static_cast<std::size_t>(state.range(0)));
  std::size_t items = 0;
  for (auto _ : state) {
    clear_log_list(nullptr);
    const std::vector<std::string> list = log_list_items(lines);
    append_log_list_items(nullptr, list);
    items = list.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items));
  state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_LogListFill)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
