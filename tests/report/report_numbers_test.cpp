// The report's numbers before any HTML: thresholds and leaks, the summaries
// per location and per operator, the leak list's order and the overview.

#include "report/report_numbers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr double kAlarm = 50;

ReportReading reading_at(const std::string& location, std::optional<std::string> iso, std::optional<double> ppm,
                         std::optional<double> alarm, const std::string& user_id,
                         const std::string& instrument = "000123") {
  ReportReading reading;
  reading.instrument = instrument;
  reading.user_id = user_id;
  reading.location = location;
  reading.datetime_iso = std::move(iso);
  reading.ppm_value = ppm;
  reading.alarm_ppm = alarm;
  return reading;
}

// Arrival order differs from time order on purpose: A's two 60 ppm
// readings arrive late one first, and readings without a time arrive last.
std::vector<ReportReading> survey() {
  return {
      reading_at("A", "2008-05-23T10:00", 20, kAlarm, "42"),               // 0
      reading_at("B", "2008-05-23T09:00", 80, kAlarm, "57"),               // 1 leak
      reading_at("A", "2008-05-23T11:00", 60, kAlarm, "42"),               // 2 leak
      reading_at("A", "2008-05-23T08:00", 60, kAlarm, "42"),               // 3 leak, A's highest
      reading_at("A", std::nullopt, std::nullopt, kAlarm, "42"),           // 4 no time, no number
      reading_at("C", "2008-05-23T12:00", std::nullopt, kAlarm, "57"),     // 5 no number
      reading_at("D", "2008-05-23T12:00", 80, std::nullopt, "57"),         // 6 no threshold
      reading_at("E", "2008-05-23T09:30", 30, 100, "57", "000126"),        // 7
      reading_at("E", "2008-05-23T09:40", 40, kAlarm, "57", "000126"),     // 8
      reading_at("A", std::nullopt, 55, kAlarm, "42"),                     // 9 leak, no time
  };
}

TEST(Threshold, GivenLevelOverridesTheRecordedAlarmAndNoneMeansNoLeak) {
  const struct {
    std::optional<double> ppm, alarm, leak_ppm;
    bool leak;
  } cases[] = {
      {60, 50, std::nullopt, true},  {50, 50, std::nullopt, true},  {49.9, 50, std::nullopt, false},
      {60, 50, 100, false},          {60, std::nullopt, 60, true},  {60, std::nullopt, std::nullopt, false},
      {std::nullopt, 50, 0, false},  {0, 50, 0, true},
  };
  for (const auto& [ppm, alarm, leak_ppm, leak] : cases) {
    const ReportReading reading = reading_at("A", std::nullopt, ppm, alarm, "42");
    EXPECT_EQ(is_leak(reading, leak_ppm), leak) << ppm.value_or(-1) << ' ' << alarm.value_or(-1);
    EXPECT_EQ(threshold_of(reading, leak_ppm), leak_ppm ? leak_ppm : alarm);
  }
}

// A location's summary as (location, readings, leaks, highest, mean, latest, thresholds).
using LocationRow = std::tuple<std::string, std::size_t, std::size_t, std::optional<std::size_t>, double,
                               std::size_t, std::vector<double>>;

std::vector<LocationRow> location_rows(const std::vector<LocationSummary>& locations) {
  std::vector<LocationRow> rows;
  for (const LocationSummary& summary : locations) {
    rows.emplace_back(summary.location, summary.readings, summary.leaks, summary.highest, summary.mean_ppm,
                      summary.latest, summary.thresholds);
  }
  return rows;
}

TEST(SummariseLocations, ByHighestThenLocationWithFirstPeakLatestTimedReadingAndMeanOfNumbers) {
  const double mean_of_a = (20 + 60 + 60 + 55) / 4.0;
  const struct {
    std::optional<double> leak_ppm;
    std::vector<LocationRow> rows;
  } cases[] = {
      {std::nullopt,
       {{"B", 1, 1, 1, 80, 1, {50}}, {"D", 1, 0, 6, 80, 6, {}}, {"A", 5, 3, 3, mean_of_a, 2, {50}},
        {"E", 2, 0, 8, 35, 8, {50, 100}}, {"C", 1, 0, std::nullopt, 0, 5, {50}}}},
      // A given leak level applies to every reading, those without a recorded alarm too.
      {30,
       {{"B", 1, 1, 1, 80, 1, {30}}, {"D", 1, 1, 6, 80, 6, {30}}, {"A", 5, 3, 3, mean_of_a, 2, {30}},
        {"E", 2, 2, 8, 35, 8, {30}}, {"C", 1, 0, std::nullopt, 0, 5, {30}}}},
  };
  for (const auto& [leak_ppm, rows] : cases) {
    EXPECT_EQ(location_rows(summarise_locations(survey(), leak_ppm)), rows) << leak_ppm.value_or(-1);
  }
}

TEST(LeaksByLocation, InTheSummarysOrderAndByTimeWithTimelessReadingsLast) {
  const std::vector<ReportReading> readings = survey();
  const std::vector<LeakGroup> groups =
      leaks_by_location(readings, summarise_locations(readings, std::nullopt), std::nullopt);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(std::tie(groups[0].location, groups[0].readings), std::make_tuple("B", std::vector<std::size_t>{1}));
  EXPECT_EQ(std::tie(groups[1].location, groups[1].readings), std::make_tuple("A", std::vector<std::size_t>{3, 2, 9}));
}

TEST(SummariseOperators, ReadingsDistinctLocationsFirstPeakAndLeaksPerUserId) {
  using OperatorRow = std::tuple<std::string, std::size_t, std::size_t, std::size_t, std::optional<std::size_t>>;
  std::vector<OperatorRow> rows;
  for (const OperatorSummary& summary : summarise_operators(survey(), std::nullopt)) {
    rows.emplace_back(summary.user_id, summary.readings, summary.locations, summary.leaks, summary.highest);
  }
  EXPECT_EQ(rows, (std::vector<OperatorRow>{{"42", 5, 1, 3, 3}, {"57", 5, 4, 1, 1}}));
}

TEST(SurveyOverview, PeriodCountsAndWhatIsMissing) {
  const SurveyOverview overview = survey_overview(survey(), std::nullopt);
  EXPECT_EQ(overview.first_iso, "2008-05-23T08:00");
  EXPECT_EQ(overview.last_iso, "2008-05-23T12:00");
  EXPECT_EQ(std::tie(overview.readings, overview.locations, overview.without_time, overview.without_number,
                     overview.without_threshold),
            std::make_tuple(10u, 5u, 2u, 2u, 1u));
  EXPECT_EQ(survey_overview(survey(), 10.0).without_threshold, 0u);
  EXPECT_EQ(overview.instruments, (std::vector<std::string>{"000123", "000126"}));
  EXPECT_EQ(overview.operators, (std::vector<std::string>{"42", "57"}));
  EXPECT_FALSE(survey_overview({}, std::nullopt).first_iso);
}

TEST(RecordedAlarms, DistinctSettingsPerInstrument) {
  std::vector<std::pair<std::string, std::vector<double>>> alarms;
  for (const RecordedAlarms& recorded : recorded_alarms(survey())) {
    alarms.emplace_back(recorded.instrument, recorded.alarm_ppm);
  }
  EXPECT_EQ(alarms, (decltype(alarms){{"000123", {50}}, {"000126", {50, 100}}}));
}

}  // namespace
