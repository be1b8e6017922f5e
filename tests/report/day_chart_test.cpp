// The charts' points: readings by day, the time and PPM axes, and the
// reduction of a crowded day, which must never lose a column's peak, its
// lowest reading or its highest leak.

#include "report/day_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "report/log_axis.h"

namespace {

ReportReading timed_reading(std::optional<std::string> iso, std::optional<double> ppm, std::optional<double> alarm) {
  ReportReading reading;
  reading.datetime_iso = std::move(iso);
  reading.ppm_value = ppm;
  reading.alarm_ppm = alarm;
  return reading;
}

TEST(ReadingsByDay, OneDayPerDateInDateOrderLeavingOutReadingsWithoutTimeOrNumber) {
  const std::vector<ReportReading> readings = {
      timed_reading("2008-05-24T07:05", 12, 50),   timed_reading("2008-05-23T14:32", 60, 50),
      timed_reading(std::nullopt, 12, 50),         timed_reading("2008-05-23T23:59", std::nullopt, 50),
      timed_reading("2008-05-23T00:00", 5, 100),   timed_reading("2008-05-23T25:00", 5, 50),  // no minute of a day
  };
  const DayCharts charts = readings_by_day(readings, std::nullopt);
  EXPECT_EQ(charts.left_out, 3u);
  ASSERT_EQ(charts.days.size(), 2u);
  EXPECT_EQ(charts.days[0].date, "2008-05-23");
  const std::vector<ChartPoint>& first_day = charts.days[0].points;
  ASSERT_EQ(first_day.size(), 2u);
  EXPECT_EQ(std::tie(first_day[0].reading, first_day[0].minute_of_day, first_day[0].leak),
            std::make_tuple(1u, 14 * 60 + 32, true));
  EXPECT_EQ(std::tie(first_day[1].minute_of_day, first_day[1].leak), std::make_tuple(0, false));
  EXPECT_EQ(charts.days[0].thresholds, (std::vector<double>{50, 100}));
  EXPECT_EQ(charts.days[1].date, "2008-05-24");
  EXPECT_EQ(charts.days[1].points.size(), 1u);
}

TEST(DayTimeAxis, WholeHoursHoldingTheReadingsAndColumnsWithinTheChart) {
  const std::vector<ChartPoint> afternoon = {{0, 14 * 60 + 32, 1, false}, {1, 16 * 60 + 43, 1, false}};
  EXPECT_EQ(hours_covering(afternoon).first_hour, 14);
  EXPECT_EQ(hours_covering(afternoon).end_hour, 17);
  EXPECT_EQ(hours_covering({{0, 1439, 1, false}}).end_hour, 24);
  const DayHours hours{14, 17};
  const std::pair<int, int> minute_columns[] = {{14 * 60, 0}, {15 * 60, 60}, {16 * 60 + 59, 179}, {17 * 60, 179}};
  for (const auto& [minute, column] : minute_columns) EXPECT_EQ(column_of(minute, hours, 180), column) << minute;
}

// Each column's lowest, highest and highest leak, as PPM values.
using ColumnExtremes = std::map<int, std::tuple<double, double, std::optional<double>>>;

ColumnExtremes extremes_by_column(const std::vector<ChartPoint>& points, DayHours hours, int columns) {
  ColumnExtremes extremes;
  for (const ChartPoint& point : points) {
    auto& [lowest, highest, highest_leak] =
        extremes.try_emplace(column_of(point.minute_of_day, hours, columns), point.ppm, point.ppm, std::nullopt)
            .first->second;
    lowest = std::min(lowest, point.ppm);
    highest = std::max(highest, point.ppm);
    if (point.leak) highest_leak = std::max(highest_leak.value_or(point.ppm), point.ppm);
  }
  return extremes;
}

TEST(ReduceToColumns, KeepsEveryColumnsLowestHighestAndHighestLeakOverGeneratedDays) {
  struct DayShape {
    std::size_t readings;
    int first_minute, last_minute;
    int columns;
    double leak_share;
  };
  const DayShape shapes[] = {
      {50, 600, 700, 50, 0.1},          // as many readings as columns: kept as they are
      {51, 600, 700, 50, 0.1},          // one more: reduced
      {5000, 420, 1019, 628, 0.003},    // a survey day
      {5000, 420, 1019, 628, 0.5},      // many leaks
      {3000, 720, 720, 628, 0.01},      // all in one minute, so in one column
      {20000, 0, 1439, 628, 0.0},       // no leak at all
      {2000, 0, 1439, 1, 0.2},          // a single column
  };
  std::mt19937 random(719);
  for (const DayShape& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape.readings) + " readings, " + std::to_string(shape.columns) + " columns");
    std::vector<ChartPoint> points;
    std::uniform_int_distribution<int> minute(shape.first_minute, shape.last_minute);
    std::uniform_int_distribution<int> ppm(0, 2000);
    std::bernoulli_distribution leak(shape.leak_share);
    for (std::size_t index = 0; index < shape.readings; ++index) {
      points.push_back(ChartPoint{index, minute(random), static_cast<double>(ppm(random)), leak(random)});
    }
    const DayHours hours = hours_covering(points);
    const std::vector<ChartPoint> reduced = reduce_to_columns(points, hours, shape.columns);

    if (points.size() <= static_cast<std::size_t>(shape.columns)) {
      EXPECT_EQ(reduced.size(), points.size());
      continue;
    }
    EXPECT_LE(reduced.size(), 3u * static_cast<std::size_t>(shape.columns));
    EXPECT_EQ(extremes_by_column(reduced, hours, shape.columns), extremes_by_column(points, hours, shape.columns));
    for (const ChartPoint& kept : reduced) {
      const ChartPoint& original = points[kept.reading];
      EXPECT_TRUE(kept.minute_of_day == original.minute_of_day && kept.ppm == original.ppm &&
                  kept.leak == original.leak);
    }
  }
}

TEST(LogAxis, FloorDecadeBelowTheLowestAndTopAtOneTwoOrFiveCoveringTheHighest) {
  const struct {
    std::optional<double> lowest_positive;
    double highest;
    double floor_ppm, top_ppm;
    std::vector<double> decades;
  } cases[] = {
      {std::nullopt, 0, 1, 10, {1, 10}},
      {5, 50, 1, 50, {1, 10}},
      {2, 1050, 1, 2000, {1, 10, 100, 1000}},
      {1, 1000, 1, 1000, {1, 10, 100, 1000}},
      {0.3, 751, 0.1, 1000, {0.1, 1, 10, 100, 1000}},
      {1e-9, 9999, kLowestAxisFloorPpm, 10000, {0.001, 0.01, 0.1, 1, 10, 100, 1000, 10000}},
  };
  for (const auto& [lowest_positive, highest, floor_ppm, top_ppm, decades] : cases) {
    const LogAxis axis = log_axis_covering(lowest_positive, highest);
    EXPECT_DOUBLE_EQ(axis.floor_ppm, floor_ppm) << highest;
    EXPECT_DOUBLE_EQ(axis.top_ppm, top_ppm) << highest;
    const std::vector<double> actual = axis_decades(axis);
    ASSERT_EQ(actual.size(), decades.size()) << highest;
    for (std::size_t at = 0; at < decades.size(); ++at) EXPECT_NEAR(actual[at], decades[at], decades[at] * 1e-9);
  }
  const std::pair<double, double> fractions[] = {{0, 0}, {-5, 0}, {1, 0}, {10, 1.0 / 3}, {1000, 1}, {5000, 1}};
  for (const auto& [ppm, fraction] : fractions) {
    EXPECT_NEAR(axis_fraction(LogAxis{1, 1000}, ppm), fraction, 1e-12) << ppm;
  }
}

}  // namespace
