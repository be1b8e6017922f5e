// Benchmarks of the survey archive on its file: storing a long download,
// storing it again (nothing new), importing a million-row export and
// exporting a million readings back to CSV. Each store starts from a fresh
// file in the system's temporary folder.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "archive/sqlite_archive.h"
#include "datalog/csv.h"

namespace {

constexpr int kReadingsPerSession = 200;

std::filesystem::path bench_folder() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "archive_bench";
  std::filesystem::create_directories(folder);
  return folder;
}

std::string fresh_archive_path(const char* name) {
  const std::filesystem::path path = bench_folder() / name;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
  return path.string();
}

// A log as days of surveys leave it: sessions that each open with the
// banner, the column header and the header lines, then readings a minute
// apart over a thousand locations.
std::vector<std::string> long_log(int readings) {
  std::vector<std::string> lines;
  char line[64];
  for (int i = 0; i < readings; ++i) {
    if (i % kReadingsPerSession == 0) {
      for (const char* heading : {" 719   VER. 3.1", "                 LOC.        PPM    STATUS ",
                                  " I...............000123", " U...............000000042", " O...............M1"}) {
        lines.emplace_back(heading);
      }
    }
    const int minutes = i;
    std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d%02d   A%05d      %4d    %s", 1 + minutes / 40320 % 12,
                  1 + minutes / 1440 % 28, 8 + minutes / 483840, minutes / 60 % 24, minutes % 60, i % 1000, i % 1100,
                  i % 1100 < 100 ? "OK" : "HIGH");
    lines.emplace_back(line);
  }
  return lines;
}

DownloadRecord download_of(std::vector<std::string> lines) {
  DownloadRecord record;
  record.info.started_at = "2026-05-04T08:00:00Z";
  record.info.finished_at = "2026-05-04T08:20:00Z";
  record.info.port = "/dev/ttyUSB0";
  record.info.program = "archive_bench";
  record.info.instrument = "000123";
  record.info.host_clock = "2026-05-04T10:00:00+02:00";
  record.info.complete = true;
  record.lines = std::move(lines);
  return record;
}

DownloadRecord import_record() {
  DownloadRecord record = download_of({});
  record.info.port.reset();
  record.info.imported_from = "bench.csv";
  return record;
}

void report_peak_memory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_StoreDownload(benchmark::State& state) {
  const DownloadRecord record = download_of(long_log(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    const auto archive = open_archive(fresh_archive_path("store.sqlite"), ArchiveOpenMode::create);
    state.ResumeTiming();
    benchmark::DoNotOptimize(archive->store_download(record, readings_of_log(record.lines)));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreDownload)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_StoreSameDownloadAgain(benchmark::State& state) {
  const DownloadRecord record = download_of(long_log(static_cast<int>(state.range(0))));
  const auto archive = open_archive(fresh_archive_path("again.sqlite"), ArchiveOpenMode::create);
  archive->store_download(record, readings_of_log(record.lines));
  for (auto _ : state) {
    const StoredDownload stored = archive->store_download(record, readings_of_log(record.lines));
    if (stored.new_readings != 0) state.SkipWithError("the same download added readings");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreSameDownloadAgain)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ImportCsv(benchmark::State& state) {
  const std::string csv = csv_text(long_log(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    const auto archive = open_archive(fresh_archive_path("import.sqlite"), ArchiveOpenMode::create);
    std::istringstream input(csv);
    state.ResumeTiming();
    benchmark::DoNotOptimize(archive->store_download(import_record(), readings_of_csv(input, "bench.csv")));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  report_peak_memory(state);
}
BENCHMARK(BM_ImportCsv)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ExportReadings(benchmark::State& state) {
  const auto archive = open_archive(fresh_archive_path("export.sqlite"), ArchiveOpenMode::create);
  {
    std::istringstream input(csv_text(long_log(static_cast<int>(state.range(0)))));
    archive->store_download(import_record(), readings_of_csv(input, "bench.csv"));
  }
  for (auto _ : state) {
    std::string csv = kCsvHeaderLine;
    std::string row;
    archive->for_each_reading({}, [&](const ArchivedReading& archived) {
      compose_csv_row(archived.reading, row);
      csv += row;
      return true;
    });
    benchmark::DoNotOptimize(csv.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportReadings)->Arg(1000000)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
