#pragma once
// The report's charts as inline SVG: the bar of each location's highest
// reading beside its summary row (with the axis above the column), and one
// chart per day of its readings against the time of day.
//
// Every chart uses the report's one logarithmic PPM axis. Thresholds are
// lines; a leak is drawn as a triangle in the leak colour, any other
// reading as a circle, so that leaks stand apart by shape as well as by
// colour (and in greyscale). Each mark carries its location, time and PPM
// as its <title>; labels are <text>. Colours, fonts and sizes come from the
// page's style sheet through class names, so the markup stays lean.
//
// Not done: no script, no interaction, no resource outside the page.

#include <string>
#include <vector>

#include "report/day_chart.h"
#include "report/log_axis.h"
#include "report/report_input.h"
#include "report/report_numbers.h"

// The day chart's drawing, in its own units; its plot is one column a unit.
inline constexpr int kDayChartWidth = 720;
inline constexpr int kDayChartHeight = 250;
inline constexpr int kDayPlotLeft = 44;
inline constexpr int kDayPlotRight = 656;
inline constexpr int kDayPlotTop = 14;
inline constexpr int kDayPlotBottom = 214;
inline constexpr int kDayPlotColumns = kDayPlotRight - kDayPlotLeft;

// The location bars' drawing: the plot between two margins that leave room
// for the axis labels centred on the first and last decade.
inline constexpr int kBarMargin = 18;
inline constexpr int kBarPlotWidth = 160;
inline constexpr int kBarHeight = 14;
inline constexpr int kBarAxisHeight = 20;

// The axis drawn in the header of the bar column.
std::string bar_axis_svg(const LogAxis& axis);

// The bar of a location's highest reading and a line at each of its
// thresholds; empty when no reading of it has a number.
std::string location_bar_svg(const LocationSummary& location, const std::vector<ReportReading>& readings,
                             const LogAxis& axis);

// The chart of a day: its marks (all its points, or their reduction), its
// thresholds and the axes.
std::string day_chart_svg(const ReportDay& day, const std::vector<ChartPoint>& marks, DayHours hours,
                          const LogAxis& axis, const std::vector<ReportReading>& readings);
