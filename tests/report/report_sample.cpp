// Writes report pages to look at and to render before a command makes them:
//   report_sample sample <instrument state file> <out.html>
//     the state file's [log] section, with its alarm setting and settings,
//     as a report made from a CSV export would hold it (no events);
//   report_sample generated <days> <seconds between readings> <out.html>
//     a generated survey (tests/report/survey_generator.h) with its events.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "datalog/reading_values.h"
#include "report/report_reading.h"
#include "report/report_html.h"
#include "tests/report/survey_generator.h"
#include "tools/instrument_state_file.h"

namespace {

constexpr std::size_t kMostGeneratedReadings = 10000000;

ReportOptions sample_options() {
  ReportOptions options;
  options.made_at = "2026-12-07 19:30";
  options.program = std::string("719k ") + SET719K_VERSION;
  options.listing_hint = "719k report --list-readings (with the same filters)";
  return options;
}

bool sample_input(const std::string& state_path, ReportInput& input) {
  InstrumentState state;
  std::string error;
  if (!load_instrument_state(state_path, state, error)) {
    std::cerr << "report_sample: " << error << '\n';
    return false;
  }
  const InstrumentSettings& settings = state.settings;
  const std::optional<double> alarm = reading_ppm_value(settings.alarm_setting);
  for_each_reading(state.log_lines, [&input, alarm](const Reading& reading) {
    input.readings.push_back(report_reading_of(reading, alarm));
    return true;
  });
  input.instruments.push_back({settings.instrument_number, state.firmware_version, settings.span_concentration,
                               settings.response_factor, settings.alarm_setting});
  input.source = state_path;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  ReportInput input;
  if (mode == "sample" && argc == 4) {
    if (!sample_input(argv[2], input)) return 1;
  } else if (mode == "generated" && argc == 5) {
    input = report_input_of(generate_survey({std::atoi(argv[2]), std::atoi(argv[3]), kMostGeneratedReadings}));
  } else {
    std::cerr << "usage: report_sample sample <state file> <out.html>\n"
                 "       report_sample generated <days> <seconds between readings> <out.html>\n";
    return 2;
  }
  const std::string page = make_report_html(input, sample_options());
  std::ofstream out(argv[argc - 1], std::ios::binary);
  out << page;
  if (!out.flush()) {
    std::cerr << "report_sample: cannot write " << argv[argc - 1] << '\n';
    return 1;
  }
  std::cout << input.readings.size() << " readings, " << page.size() << " bytes\n";
  return 0;
}
