#include "report/svg_charts.h"

#include <cstdio>

#include "report/html_text.h"

namespace {

constexpr double kMarkRadius = 3;
// A leak's triangle, drawn from its apex this far above the reading's level.
constexpr double kLeakApexAbove = 4;
constexpr const char* kLeakTriangleFromApex = "l4 7h-8z";
constexpr double kBarInset = 2;  // between the bar and the edges of its row
constexpr double kShortestBar = 1;
constexpr int kAxisLabelBaseline = 14;
constexpr int kLabelHalfHeight = 4;
constexpr int kLabelGap = 6;
constexpr int kTimeLabelBaseline = kDayPlotBottom + 16;
constexpr int kTimeTitleBaseline = kDayPlotBottom + 32;
constexpr int kPpmTitleX = 12;
constexpr int kMostTimeLabels = 8;
constexpr int kHoursBetweenLabels[] = {1, 2, 3, 4, 6};

double bar_x(const LogAxis& axis, double ppm) { return kBarMargin + axis_fraction(axis, ppm) * kBarPlotWidth; }

double day_x(int minute_of_day, DayHours hours) {
  return kDayPlotLeft + time_fraction(minute_of_day, hours) * kDayPlotColumns;
}

double day_y(const LogAxis& axis, double ppm) {
  return kDayPlotBottom - axis_fraction(axis, ppm) * (kDayPlotBottom - kDayPlotTop);
}

std::string clock_of(int minute_of_day) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", minute_of_day / kMinutesPerHour, minute_of_day % kMinutesPerHour);
  return text;
}

void open_svg(std::string& page, const char* css_class, int width, int height, const std::string& attributes) {
  page += "<svg class=\"";
  page += css_class;
  page += "\" viewBox=\"0 0 " + std::to_string(width) + ' ' + std::to_string(height) + '"' + attributes + '>';
}

// <text> at x, y with the given anchor ("" for the start).
void append_label(std::string& page, double x, double y, const char* anchor, const std::string& html) {
  page += "<text x=\"";
  append_coordinate(page, x);
  page += "\" y=\"";
  append_coordinate(page, y);
  page += '"';
  if (*anchor != '\0') page += std::string(" text-anchor=\"") + anchor + '"';
  page += '>' + html + "</text>";
}

void append_move(std::string& page, double x, double y) {
  page += 'M';
  append_coordinate(page, x);
  page += ' ';
  append_coordinate(page, y);
}

int hours_between_labels(DayHours hours) {
  for (const int step : kHoursBetweenLabels) {
    if ((hours.end_hour - hours.first_hour) / step <= kMostTimeLabels) return step;
  }
  return kHoursBetweenLabels[std::size(kHoursBetweenLabels) - 1];
}

void append_day_axes(std::string& page, DayHours hours, const LogAxis& axis) {
  const int label_step = hours_between_labels(hours);
  page += "<path class=\"g\" d=\"";
  for (const double decade : axis_decades(axis)) {
    append_move(page, kDayPlotLeft, day_y(axis, decade));
    page += 'H' + std::to_string(kDayPlotRight);
  }
  for (int hour = hours.first_hour; hour <= hours.end_hour; hour += label_step) {
    append_move(page, day_x(hour * kMinutesPerHour, hours), kDayPlotTop);
    page += 'V' + std::to_string(kDayPlotBottom);
  }
  page += "\"/><path class=\"x\" d=\"M" + std::to_string(kDayPlotLeft) + ' ' + std::to_string(kDayPlotTop) + 'V' +
          std::to_string(kDayPlotBottom) + 'H' + std::to_string(kDayPlotRight) + "\"/>";
  for (const double decade : axis_decades(axis)) {
    append_label(page, kDayPlotLeft - kLabelGap, day_y(axis, decade) + kLabelHalfHeight, "end", format_ppm(decade));
  }
  for (int hour = hours.first_hour; hour <= hours.end_hour; hour += label_step) {
    append_label(page, day_x(hour * kMinutesPerHour, hours), kTimeLabelBaseline, "middle",
                 clock_of(hour * kMinutesPerHour % (kHoursPerDay * kMinutesPerHour)));
  }
  append_label(page, (kDayPlotLeft + kDayPlotRight) / 2.0, kTimeTitleBaseline, "middle", "time of day");
  page += "<text transform=\"rotate(-90)\" x=\"" + std::to_string(-(kDayPlotTop + kDayPlotBottom) / 2) + "\" y=\"" +
          std::to_string(kPpmTitleX) + "\" text-anchor=\"middle\">ppm (log scale)</text>";
}

void append_mark_title(std::string& page, const ChartPoint& point, const std::vector<ReportReading>& readings) {
  page += "<title>";
  append_html_text(page, readings[point.reading].location);
  page += ' ' + clock_of(point.minute_of_day) + ", " + format_ppm(point.ppm) + " ppm</title>";
}

}  // namespace

std::string bar_axis_svg(const LogAxis& axis) {
  std::string svg;
  open_svg(svg, "a", kBarPlotWidth + 2 * kBarMargin, kBarAxisHeight, " aria-hidden=\"true\"");
  for (const double decade : axis_decades(axis)) {
    append_label(svg, bar_x(axis, decade), kAxisLabelBaseline, "middle", format_ppm(decade));
  }
  return svg + "</svg>";
}

std::string location_bar_svg(const LocationSummary& location, const std::vector<ReportReading>& readings,
                             const LogAxis& axis) {
  if (!location.highest) return std::string();
  std::string svg;
  open_svg(svg, "b", kBarPlotWidth + 2 * kBarMargin, kBarHeight, " aria-hidden=\"true\"");
  svg += "<path class=\"g\" d=\"";
  for (const double decade : axis_decades(axis)) {
    append_move(svg, bar_x(axis, decade), 0);
    svg += 'v' + std::to_string(kBarHeight);
  }
  const double bar_end = bar_x(axis, *readings[*location.highest].ppm_value);
  svg += "\"/><rect class=\"";
  svg += location.leaks > 0 ? 'k' : 'm';
  svg += "\" x=\"" + std::to_string(kBarMargin) + "\" y=\"";
  append_coordinate(svg, kBarInset);
  svg += "\" width=\"";
  append_coordinate(svg, std::max(kShortestBar, bar_end - kBarMargin));
  svg += "\" height=\"";
  append_coordinate(svg, kBarHeight - 2 * kBarInset);
  svg += "\"/>";
  if (!location.thresholds.empty()) {
    svg += "<path class=\"t\" d=\"";
    for (const double threshold : location.thresholds) {
      append_move(svg, bar_x(axis, threshold), 0);
      svg += 'v' + std::to_string(kBarHeight);
    }
    svg += "\"/>";
  }
  return svg + "</svg>";
}

std::string day_chart_svg(const ReportDay& day, const std::vector<ChartPoint>& marks, DayHours hours,
                          const LogAxis& axis, const std::vector<ReportReading>& readings) {
  std::string svg;
  open_svg(svg, "d", kDayChartWidth, kDayChartHeight,
           " role=\"img\" aria-label=\"Readings on " + html_text(day.date) + " against the time of day\"");
  append_day_axes(svg, hours, axis);
  for (const double threshold : day.thresholds) {
    const double y = day_y(axis, threshold);
    svg += "<path class=\"t\" d=\"";
    append_move(svg, kDayPlotLeft, y);
    svg += 'H' + std::to_string(kDayPlotRight) + "\"/>";
    append_label(svg, kDayPlotRight + kLabelGap, y + kLabelHalfHeight, "", format_ppm(threshold) + " ppm");
  }
  svg += "<g class=\"m\">";
  for (const ChartPoint& point : marks) {
    if (point.leak) continue;
    svg += "<circle cx=\"";
    append_coordinate(svg, day_x(point.minute_of_day, hours));
    svg += "\" cy=\"";
    append_coordinate(svg, day_y(axis, point.ppm));
    svg += "\" r=\"";
    append_coordinate(svg, kMarkRadius);
    svg += "\">";
    append_mark_title(svg, point, readings);
    svg += "</circle>";
  }
  svg += "</g><g class=\"k\">";
  for (const ChartPoint& point : marks) {
    if (!point.leak) continue;
    svg += "<path d=\"";
    append_move(svg, day_x(point.minute_of_day, hours), day_y(axis, point.ppm) - kLeakApexAbove);
    svg += kLeakTriangleFromApex;
    svg += "\">";
    append_mark_title(svg, point, readings);
    svg += "</path>";
  }
  return svg + "</g></svg>";
}
