#pragma once
// The sections of the report page, each appended to the page from the
// facts computed once for the whole report (report_facts), so that no
// section computes a number another one shows. Internal to report/: the
// interface is report_html.h. A section that has nothing to show says so
// rather than leaving its heading bare.

#include <string>
#include <vector>

#include "report/day_chart.h"
#include "report/log_axis.h"
#include "report/report_input.h"
#include "report/report_numbers.h"

struct ReportFacts {
  const ReportInput& input;
  const ReportOptions& options;
  SurveyOverview overview;
  std::vector<LocationSummary> locations;
  std::vector<LeakGroup> leaks;
  std::size_t leak_count;
  std::vector<OperatorSummary> operators;
  DayCharts charts;
  LogAxis axis;
};

ReportFacts report_facts(const ReportInput& input, const ReportOptions& options);

// The page's pieces, in page order.
void append_heading(std::string& page, const ReportFacts& facts);
void append_summary_section(std::string& page, const ReportFacts& facts);
void append_leaks_section(std::string& page, const ReportFacts& facts);
void append_charts_section(std::string& page, const ReportFacts& facts);
void append_operators_section(std::string& page, const ReportFacts& facts);
void append_events_section(std::string& page, const ReportFacts& facts);
void append_readings_section(std::string& page, const ReportFacts& facts);

// Shared by the sections: a reading's time as the page shows it, and a
// value that may be missing.
std::string shown_time(const ReportReading& reading);
std::string shown_ppm(const std::optional<double>& ppm);
