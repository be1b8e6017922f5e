#pragma once
// The numbers of a survey report, computed from its readings before any
// HTML: the threshold of each reading, the summary per location, the leaks
// grouped by location, the summary per operator and the overview (period,
// counts, instruments, operators).
//
// A reading's threshold is the leak level given for the report when there
// is one, otherwise the alarm setting recorded with its download; a reading
// at or above its threshold is a leak. A reading without a threshold is in
// no leak list, and one without a number counts as a reading but never as a
// leak, a highest reading or in a mean.
//
// Readings are referred to by their index in the input, which is also their
// arrival order. In time order, readings with a calendar time come first,
// by time and then by arrival; those without one follow in arrival order.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "report/report_input.h"

std::optional<double> threshold_of(const ReportReading& reading, std::optional<double> leak_ppm);
bool is_leak(const ReportReading& reading, std::optional<double> leak_ppm);

// Adds a value to a list of distinct values in ascending order (the
// thresholds that apply to a group of readings).
void add_distinct(std::vector<double>& ascending_values, double value);

// True when reading a comes before reading b in time order.
bool earlier_in_time(const std::vector<ReportReading>& readings, std::size_t a, std::size_t b);

struct LocationSummary {
  std::string location;
  std::size_t readings = 0;
  std::size_t leaks = 0;
  std::optional<std::size_t> highest;  // the first reading in time order with the highest number
  double mean_ppm = 0;                 // over the readings with a number; 0 when none has one
  std::size_t latest = 0;              // the latest reading with a calendar time, else the last to arrive
  std::vector<double> thresholds;      // those of its readings, distinct, ascending
};

// Sorted by highest reading, descending; locations without any number last;
// ties by location.
std::vector<LocationSummary> summarise_locations(const std::vector<ReportReading>& readings,
                                                 std::optional<double> leak_ppm);

struct LeakGroup {
  std::string location;
  std::vector<std::size_t> readings;  // in time order
};

// Every leak, grouped by location in the summary's order.
std::vector<LeakGroup> leaks_by_location(const std::vector<ReportReading>& readings,
                                         const std::vector<LocationSummary>& locations,
                                         std::optional<double> leak_ppm);

struct OperatorSummary {
  std::string user_id;
  std::size_t readings = 0;
  std::size_t locations = 0;  // distinct locations visited
  std::size_t leaks = 0;
  std::optional<std::size_t> highest;
};

// Sorted by user ID.
std::vector<OperatorSummary> summarise_operators(const std::vector<ReportReading>& readings,
                                                 std::optional<double> leak_ppm);

struct SurveyOverview {
  std::optional<std::string> first_iso, last_iso;  // none when no reading has a calendar time
  std::size_t readings = 0;
  std::size_t locations = 0;
  std::size_t without_time = 0;
  std::size_t without_number = 0;
  std::size_t without_threshold = 0;
  std::vector<std::string> instruments;  // distinct, sorted
  std::vector<std::string> operators;    // distinct user IDs, sorted
};

SurveyOverview survey_overview(const std::vector<ReportReading>& readings, std::optional<double> leak_ppm);

// The distinct alarm settings recorded with an instrument's readings.
struct RecordedAlarms {
  std::string instrument;
  std::vector<double> alarm_ppm;  // ascending
};

// Sorted by instrument; instruments without any recorded alarm left out.
std::vector<RecordedAlarms> recorded_alarms(const std::vector<ReportReading>& readings);
