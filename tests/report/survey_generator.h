#pragma once
// A generated survey for the report's sample pages and benchmark: a crew of
// four operators, each with an instrument of their own, walking 200
// locations through 10-hour days and reading every few seconds; each
// instrument's log is downloaded at the end of each day. Background levels
// are a few ppm; eight locations leak now and then and a stray reading
// elsewhere rarely does, which makes a few leaks in a thousand readings.
// One instrument's alarm is set to 100 ppm, the others' to 50 ppm.
//
// The log lines are as the instrument sends them, one download per
// instrument and day, so a report is made the way a caller makes it: store
// the downloads in an archive, or walk the lines and convert each reading.
// Deterministic for a given shape.

#include <cstddef>
#include <string>
#include <vector>

#include "report/report_input.h"

struct SurveyShape {
  int days;
  int seconds_between_readings;
  std::size_t most_readings;  // the survey stops after this many
};

struct GeneratedDownload {
  std::string instrument;  // the number
  int year, month, day;    // of the day's survey, downloaded at its end
  std::vector<std::string> log_lines;
};

struct GeneratedSurvey {
  std::vector<GeneratedDownload> downloads;  // by day, the crew's order within a day
  std::vector<ReportInstrument> instruments;
};

// The hour of the day's download, after the last reading.
inline constexpr int kDownloadHour = 17;

GeneratedSurvey generate_survey(const SurveyShape& shape);

// The report's input from a survey's lines, each reading with its
// instrument's recorded alarm setting, as from an archive without events.
ReportInput report_input_of(const GeneratedSurvey& survey);
