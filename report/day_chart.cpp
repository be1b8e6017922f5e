#include "report/day_chart.h"

#include <algorithm>
#include <map>

#include "report/report_numbers.h"

namespace {

constexpr std::size_t kIsoDateChars = 10;       // "2008-05-23"
constexpr std::size_t kIsoMinuteChars = 16;     // "2008-05-23T14:32"
constexpr std::size_t kIsoHourAt = 11;
constexpr std::size_t kIsoMinuteAt = 14;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The minute of the day of an ISO time, none when it has no "HH:MM" there.
std::optional<int> minute_of_day_of(const std::string& iso) {
  if (iso.size() < kIsoMinuteChars || iso[kIsoHourAt + 2] != ':') return std::nullopt;
  for (const std::size_t at : {kIsoHourAt, kIsoHourAt + 1, kIsoMinuteAt, kIsoMinuteAt + 1}) {
    if (!is_digit(iso[at])) return std::nullopt;
  }
  const int hour = (iso[kIsoHourAt] - '0') * 10 + (iso[kIsoHourAt + 1] - '0');
  const int minute = (iso[kIsoMinuteAt] - '0') * 10 + (iso[kIsoMinuteAt + 1] - '0');
  if (hour >= kHoursPerDay || minute >= kMinutesPerHour) return std::nullopt;
  return hour * kMinutesPerHour + minute;
}

// The points that one column keeps, as indices into the day's points.
struct ColumnKeep {
  std::optional<std::size_t> lowest, highest, highest_leak;
};

}  // namespace

DayCharts readings_by_day(const std::vector<ReportReading>& readings, std::optional<double> leak_ppm) {
  DayCharts charts;
  std::map<std::string, ReportDay> days;
  for (std::size_t index = 0; index < readings.size(); ++index) {
    const ReportReading& reading = readings[index];
    const std::optional<int> minute = reading.datetime_iso ? minute_of_day_of(*reading.datetime_iso) : std::nullopt;
    if (!minute || !reading.ppm_value) {
      ++charts.left_out;
      continue;
    }
    const std::string date = reading.datetime_iso->substr(0, kIsoDateChars);
    ReportDay& day = days[date];
    day.points.push_back(ChartPoint{index, *minute, *reading.ppm_value, is_leak(reading, leak_ppm)});
    if (const std::optional<double> threshold = threshold_of(reading, leak_ppm)) {
      add_distinct(day.thresholds, *threshold);
    }
  }
  for (auto& [date, day] : days) {
    day.date = date;
    charts.days.push_back(std::move(day));
  }
  return charts;
}

DayHours hours_covering(const std::vector<ChartPoint>& points) {
  if (points.empty()) return DayHours{0, 1};
  const auto [first, last] = std::minmax_element(
      points.begin(), points.end(),
      [](const ChartPoint& a, const ChartPoint& b) { return a.minute_of_day < b.minute_of_day; });
  return DayHours{first->minute_of_day / kMinutesPerHour, last->minute_of_day / kMinutesPerHour + 1};
}

double time_fraction(int minute_of_day, DayHours hours) {
  const int span_minutes = (hours.end_hour - hours.first_hour) * kMinutesPerHour;
  return static_cast<double>(minute_of_day - hours.first_hour * kMinutesPerHour) / span_minutes;
}

int column_of(int minute_of_day, DayHours hours, int columns) {
  const int column = static_cast<int>(time_fraction(minute_of_day, hours) * columns);
  return std::clamp(column, 0, columns - 1);
}

std::vector<ChartPoint> reduce_to_columns(const std::vector<ChartPoint>& points, DayHours hours, int columns) {
  if (points.size() <= static_cast<std::size_t>(columns)) return points;
  std::vector<ColumnKeep> kept(static_cast<std::size_t>(columns));
  for (std::size_t index = 0; index < points.size(); ++index) {
    const ChartPoint& point = points[index];
    ColumnKeep& column = kept[static_cast<std::size_t>(column_of(point.minute_of_day, hours, columns))];
    if (!column.lowest || point.ppm < points[*column.lowest].ppm) column.lowest = index;
    if (!column.highest || point.ppm > points[*column.highest].ppm) column.highest = index;
    if (point.leak && (!column.highest_leak || point.ppm > points[*column.highest_leak].ppm)) {
      column.highest_leak = index;
    }
  }
  std::vector<ChartPoint> reduced;
  for (const ColumnKeep& column : kept) {
    std::vector<std::size_t> chosen;
    for (const std::optional<std::size_t>& index : {column.lowest, column.highest, column.highest_leak}) {
      if (index && std::find(chosen.begin(), chosen.end(), *index) == chosen.end()) chosen.push_back(*index);
    }
    for (const std::size_t index : chosen) reduced.push_back(points[index]);
  }
  return reduced;
}
