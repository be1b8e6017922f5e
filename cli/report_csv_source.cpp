// The report's readings from CSV files that Export Log or `log download`
// wrote.

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/report_sources.h"
#include "datalog/csv_reader.h"
#include "datalog/reading_values.h"

namespace {

// The file's readings in scope added to input; the problem when the file
// cannot be read or is not an export, empty when none.
std::string add_file_readings(const std::string& path, const ReadingFilter& filter, const CancelToken& stop,
                              ReportInput& input) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot read " + path + ": " + (errno == ENOENT ? "no such file" : std::strerror(errno));
  ArchivedReading candidate;
  const CsvReadResult result = read_csv_readings(file, [&](const Reading& reading) {
    candidate.reading = reading;
    candidate.datetime_iso = reading_datetime_iso(reading.date_time);
    if (!filter_admits(filter, candidate)) return !stop.requested();
    const LogHeaderValues& header = reading.header;
    // A file records no alarm setting: its readings' threshold is --leak-ppm alone.
    input.readings.push_back(ReportReading{header.instrument_number, header.user_id, header.mode, reading.date_time,
                                           reading.location, reading.ppm, reading.status, candidate.datetime_iso,
                                           reading_ppm_value(reading.ppm), std::nullopt});
    return !stop.requested();
  });
  if (result.status == CsvReadStatus::read || result.status == CsvReadStatus::stopped) return std::string();
  if (file.bad()) return "cannot read " + path + ": " + std::strerror(errno);
  return path + " is not an export of readings (line " + std::to_string(result.line_number) + ": " + result.problem +
         ")";
}

}  // namespace

std::optional<ReportInput> report_input_of_csv_files(const std::vector<std::string>& paths, const ReadingFilter& filter,
                                                     const CancelToken& stop, std::vector<std::string>& problems) {
  ReportInput input;
  for (const std::string& path : paths) {
    const std::string problem = add_file_readings(path, filter, stop, input);
    if (!problem.empty()) problems.push_back(problem);
  }
  if (!problems.empty()) return std::nullopt;
  return input;
}
