// The survey report of 1,000,000 readings: a crew of four, each with an
// instrument, walking 200 locations and reading every 2 s through 10-hour
// days for 21 days, with a few leaks in a thousand readings
// (tests/report/survey_generator.h). The page leaves out the table of
// every reading then; its size is reported as the counter "page_bytes".

#include <benchmark/benchmark.h>

#include <string>

#include "report/report_html.h"
#include "tests/report/survey_generator.h"

namespace {

constexpr SurveyShape kMillionReadings{21, 2, 1000000};

const GeneratedSurvey& million_reading_survey() {
  static const GeneratedSurvey survey = generate_survey(kMillionReadings);
  return survey;
}

ReportOptions bench_options() {
  ReportOptions options;
  options.made_at = "2026-12-07 19:30";
  options.program = "719k bench";
  options.listing_hint = "719k archive readings";
  return options;
}

// The library's part: the page made from readings already read.
void BM_MakeReportHtml(benchmark::State& state) {
  const ReportInput input = report_input_of(million_reading_survey());
  std::size_t page_bytes = 0;
  for (auto _ : state) {
    const std::string page = make_report_html(input, bench_options());
    page_bytes = page.size();
    benchmark::DoNotOptimize(page.data());
  }
  state.counters["readings"] = static_cast<double>(input.readings.size());
  state.counters["page_bytes"] = static_cast<double>(page_bytes);
}
BENCHMARK(BM_MakeReportHtml)->Unit(benchmark::kMillisecond);

// What a caller adds before it: the log's lines walked into the report's
// readings, times and numbers converted.
void BM_ReadingsFromLogLines(benchmark::State& state) {
  const GeneratedSurvey& survey = million_reading_survey();
  for (auto _ : state) {
    const ReportInput input = report_input_of(survey);
    benchmark::DoNotOptimize(input.readings.data());
  }
}
BENCHMARK(BM_ReadingsFromLogLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
