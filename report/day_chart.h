#pragma once
// The points of the charts of readings over time: one chart per calendar
// day, each reading with a time and a number a point at its minute of the
// day, and the reduction of a crowded day to what its chart can show.
//
// A chart is so many columns wide (the units of its drawing). A day with
// more points than columns keeps, in each column, its lowest and highest
// point and its highest leak, so that no peak and no leak-level reading is
// lost from the picture, however many readings fall into one column. The
// time axis of a day runs over the whole hours that hold its readings.
//
// Not done: readings without a calendar time or a number are not placed
// (they are counted); no smoothing or averaging, which would hide peaks.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "report/report_input.h"

inline constexpr int kMinutesPerHour = 60;
inline constexpr int kHoursPerDay = 24;

struct ChartPoint {
  std::size_t reading;  // index in the report's readings
  int minute_of_day;
  double ppm;
  bool leak;
};

struct ReportDay {
  std::string date;                // "2008-05-23"
  std::vector<ChartPoint> points;  // in arrival order
  std::vector<double> thresholds;  // those of its points, distinct, ascending
};

struct DayCharts {
  std::vector<ReportDay> days;  // by date
  std::size_t left_out = 0;     // readings without a calendar time or a number
};

DayCharts readings_by_day(const std::vector<ReportReading>& readings, std::optional<double> leak_ppm);

// The hours [first_hour, end_hour) of the time axis: at least one.
struct DayHours {
  int first_hour;
  int end_hour;
};

DayHours hours_covering(const std::vector<ChartPoint>& points);

// Where a minute lies on the time axis, 0 at its start and 1 at its end.
double time_fraction(int minute_of_day, DayHours hours);

// The column, 0 to columns - 1, that a minute falls into.
int column_of(int minute_of_day, DayHours hours, int columns);

// The points as they are when there are at most `columns`; otherwise each
// column's lowest, highest and highest leak, column by column.
std::vector<ChartPoint> reduce_to_columns(const std::vector<ChartPoint>& points, DayHours hours, int columns);
