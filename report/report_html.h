#pragma once
// The survey report: one self-contained HTML5 page that an operator hands
// to a supervisor or an auditor. Bottom up it holds the heading (period,
// instruments with their settings as recorded, operators, counts, source,
// when and by which program it was made), the summary per location with a
// bar of each location's highest reading, the leaks by location, one chart
// of the readings per day, the summary per operator, the events recorded
// at downloads, and every reading when they are few enough to list.
//
// The numbers come from report_numbers.h and day_chart.h, the charts from
// svg_charts.h; this module lays them out. The page holds no script and no
// reference to anything outside it (its style sheet is inline, its fonts
// the system's), prints on A4 and Letter (each section on a new page, table
// headers repeated, charts as wide as the page) and fits a phone's width
// (a wide table or chart scrolls in its own box).
//
// Not done: reading files, the archive or the clock (the caller passes what
// the report shows, the time of making included).

#include <cstddef>
#include <string>

#include "report/report_input.h"

// Above this many readings in scope the page leaves out the table of every
// reading and shows the caller's listing hint instead.
inline constexpr std::size_t kMostReadingsListed = 10000;

std::string make_report_html(const ReportInput& input, const ReportOptions& options);
