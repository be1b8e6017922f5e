// The report's numbers before any HTML: thresholds and leaks, the summaries
// per location and per operator, the leak list's order and the overview.

#include "report/report_numbers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
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

struct ExpectedLocation {
  std::string location;
  std::size_t readings, leaks;
  std::optional<std::size_t> highest;
  double mean_ppm;
  std::size_t latest;
  std::vector<double> thresholds;
};

void expect_locations(const std::vector<LocationSummary>& actual, const std::vector<ExpectedLocation>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t at = 0; at < expected.size(); ++at) {
    SCOPED_TRACE(expected[at].location);
    EXPECT_EQ(actual[at].location, expected[at].location);
    EXPECT_EQ(actual[at].readings, expected[at].readings);
    EXPECT_EQ(actual[at].leaks, expected[at].leaks);
    EXPECT_EQ(actual[at].highest, expected[at].highest);
    EXPECT_NEAR(actual[at].mean_ppm, expected[at].mean_ppm, 1e-9);
    EXPECT_EQ(actual[at].latest, expected[at].latest);
    EXPECT_EQ(actual[at].thresholds, expected[at].thresholds);
  }
}

TEST(SummariseLocations, ByHighestThenLocationWithFirstPeakLatestTimedReadingAndMeanOfNumbers) {
  expect_locations(summarise_locations(survey(), std::nullopt),
                   {{"B", 1, 1, 1, 80, 1, {50}},
                    {"D", 1, 0, 6, 80, 6, {}},
                    {"A", 5, 3, 3, (20 + 60 + 60 + 55) / 4.0, 2, {50}},
                    {"E", 2, 0, 8, 35, 8, {50, 100}},
                    {"C", 1, 0, std::nullopt, 0, 5, {50}}});
}

TEST(SummariseLocations, GivenLeakLevelAppliesToEveryReading) {
  const std::vector<LocationSummary> locations = summarise_locations(survey(), 30.0);
  std::vector<std::size_t> leaks;
  for (const LocationSummary& location : locations) {
    leaks.push_back(location.leaks);
    EXPECT_EQ(location.thresholds, std::vector<double>{30}) << location.location;
  }
  EXPECT_EQ(leaks, (std::vector<std::size_t>{1, 1, 3, 2, 0}));
}

TEST(LeaksByLocation, InTheSummarysOrderAndByTimeWithTimelessReadingsLast) {
  const std::vector<ReportReading> readings = survey();
  const std::vector<LeakGroup> groups =
      leaks_by_location(readings, summarise_locations(readings, std::nullopt), std::nullopt);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].location, "B");
  EXPECT_EQ(groups[0].readings, std::vector<std::size_t>{1});
  EXPECT_EQ(groups[1].location, "A");
  EXPECT_EQ(groups[1].readings, (std::vector<std::size_t>{3, 2, 9}));
}

TEST(SummariseOperators, ReadingsDistinctLocationsFirstPeakAndLeaksPerUserId) {
  const std::vector<OperatorSummary> operators = summarise_operators(survey(), std::nullopt);
  ASSERT_EQ(operators.size(), 2u);
  const auto fields = [](const OperatorSummary& o) {
    return std::make_tuple(o.user_id, o.readings, o.locations, o.leaks, o.highest);
  };
  EXPECT_EQ(fields(operators[0]), std::make_tuple(std::string("42"), 5u, 1u, 3u, std::optional<std::size_t>(3)));
  EXPECT_EQ(fields(operators[1]), std::make_tuple(std::string("57"), 5u, 4u, 1u, std::optional<std::size_t>(1)));
}

TEST(SurveyOverview, PeriodCountsAndWhatIsMissing) {
  const SurveyOverview overview = survey_overview(survey(), std::nullopt);
  EXPECT_EQ(overview.first_iso, "2008-05-23T08:00");
  EXPECT_EQ(overview.last_iso, "2008-05-23T12:00");
  EXPECT_EQ(overview.readings, 10u);
  EXPECT_EQ(overview.locations, 5u);
  EXPECT_EQ(overview.without_time, 2u);
  EXPECT_EQ(overview.without_number, 2u);
  EXPECT_EQ(overview.without_threshold, 1u);
  EXPECT_EQ(survey_overview(survey(), 10.0).without_threshold, 0u);
  EXPECT_EQ(overview.instruments, (std::vector<std::string>{"000123", "000126"}));
  EXPECT_EQ(overview.operators, (std::vector<std::string>{"42", "57"}));
  EXPECT_FALSE(survey_overview({}, std::nullopt).first_iso);
}

TEST(RecordedAlarms, DistinctSettingsPerInstrument) {
  const std::vector<RecordedAlarms> alarms = recorded_alarms(survey());
  ASSERT_EQ(alarms.size(), 2u);
  EXPECT_EQ(alarms[0].instrument, "000123");
  EXPECT_EQ(alarms[0].alarm_ppm, std::vector<double>{50});
  EXPECT_EQ(alarms[1].instrument, "000126");
  EXPECT_EQ(alarms[1].alarm_ppm, (std::vector<double>{50, 100}));
}

}  // namespace
