#include "report/report_html.h"

#include <algorithm>

#include "report/html_text.h"
#include "report/report_sections.h"

namespace {

// Screen first, then print. Normal readings are a light blue and leaks a
// dark red, which stay apart for colour-blind readers and in greyscale;
// the leaks' triangles differ in shape as well.
constexpr const char* kStyle = R"(
:root{--ink:#1c2530;--muted:#59636f;--rule:#d8dde4;--band:#f3f5f8;--mark:#6497cf;--bar:#b4c6da;--leak:#b42318}
*{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0;color:var(--ink);background:#fff;font:15px/1.45 system-ui,sans-serif}
main{max-width:72rem;margin:0 auto;padding:1.25rem 1rem 3rem}
h1{font-size:1.8rem;line-height:1.2;margin:0 0 .25rem}
h2{font-size:1.3rem;margin:2.75rem 0 .6rem;padding-bottom:.3rem;border-bottom:2px solid var(--ink)}
h3{font-size:1rem;margin:1.5rem 0 .4rem}
p{margin:.45rem 0;max-width:50rem}
code{font-family:ui-monospace,monospace;font-size:.9em;overflow-wrap:anywhere}
.u{color:var(--muted)}
.h{margin:1rem 0;padding:.75rem 1rem;background:var(--band);border-left:4px solid var(--ink);font-size:1.05rem}
.h.k{border-left-color:var(--leak)}
nav{display:flex;flex-wrap:wrap;gap:.2rem 1rem;margin:.6rem 0 0;font-size:.9rem}
nav a{color:var(--ink)}
dl{display:grid;grid-template-columns:max-content minmax(0,1fr);gap:.3rem 1.25rem;margin:1rem 0}
dt{color:var(--muted)}
dd{margin:0;overflow-wrap:anywhere}
.w{overflow-x:auto;margin:.5rem 0 1rem}
table{border-collapse:collapse;font-size:.9rem;font-variant-numeric:tabular-nums}
th,td{padding:.25rem .6rem;text-align:left;vertical-align:baseline;white-space:nowrap;border-bottom:1px solid var(--rule)}
th:first-child,td:first-child{padding-left:0}
thead th{font-size:.8rem;font-weight:600;color:var(--muted);vertical-align:bottom;border-bottom:1.5px solid var(--ink)}
tbody th{padding-top:1rem;font-size:.95rem}
.n{text-align:right}
.k{color:var(--leak);font-weight:600}
td.s{white-space:normal;min-width:6rem}
td.c{padding-top:0;padding-bottom:0;vertical-align:middle}
svg text{font:11px system-ui,sans-serif;fill:var(--muted)}
svg .g{fill:none;stroke:var(--rule)}
svg .x{fill:none;stroke:var(--muted)}
svg .t{fill:none;stroke:var(--ink);stroke-width:1.5;stroke-dasharray:5 3}
svg.b .t{stroke-dasharray:none}
rect.m{fill:var(--bar)}
rect.k{fill:var(--leak)}
.m circle{fill:var(--mark)}
.k path,path.k{fill:var(--leak);stroke:#fff;stroke-width:.5}
svg.a,svg.b{display:block;width:196px}
svg.a{height:20px}
svg.b{height:14px}
svg.i{width:12px;height:12px;vertical-align:-1px;margin-right:.3rem}
.key span{margin-right:1.25rem;white-space:nowrap}
figure{margin:1.25rem 0 1.75rem}
figcaption{margin-bottom:.25rem}
svg.d{display:block;width:100%;min-width:34rem;height:auto}
@page{margin:14mm 12mm}
@media print{
body{font-size:9pt}
main{max-width:none;padding:0}
nav{display:none}
section{break-before:page}
h2{margin-top:0}
.w{overflow:visible}
svg.d{min-width:0}
figure,tr{break-inside:avoid}
thead{display:table-header-group}
th,td{padding:.15rem .5rem}
}
)";

std::string period_text(const SurveyOverview& overview, std::size_t days) {
  if (!overview.first_iso) return "unknown: no reading has a calendar time";
  std::string text = display_time(*overview.first_iso) + " to " + display_time(*overview.last_iso);
  text += " (" + format_count(days) + (days == 1 ? " day" : " days") + " with readings)";
  if (overview.without_time > 0) {
    text += "; " + format_count(overview.without_time) + " readings without a calendar time";
  }
  return text;
}

std::string joined_html(const std::vector<std::string>& values) {
  std::string joined;
  for (const std::string& value : values) {
    if (!joined.empty()) joined += ", ";
    joined += value.empty() ? std::string("(none)") : html_text(value);
  }
  return joined;
}

// "50 ppm", "50 and 100 ppm".
std::string ppm_list(const std::vector<double>& values) {
  std::string list;
  for (std::size_t at = 0; at < values.size(); ++at) {
    if (at > 0) list += at + 1 == values.size() ? " and " : ", ";
    list += format_ppm(values[at]);
  }
  return list + " ppm";
}

// The threshold of the report as the heading states it: the instruments
// that had the same alarm settings named together.
std::string threshold_statement(const ReportFacts& facts) {
  if (facts.options.leak_ppm) return format_ppm(*facts.options.leak_ppm) + " ppm for every reading, as given (--leak-ppm)";
  std::vector<std::pair<std::vector<double>, std::vector<std::string>>> instruments_by_alarms;
  for (const RecordedAlarms& alarms : recorded_alarms(facts.input.readings)) {
    auto same = std::find_if(instruments_by_alarms.begin(), instruments_by_alarms.end(),
                             [&alarms](const auto& group) { return group.first == alarms.alarm_ppm; });
    if (same == instruments_by_alarms.end()) same = instruments_by_alarms.insert(same, {alarms.alarm_ppm, {}});
    same->second.push_back(alarms.instrument);
  }
  if (instruments_by_alarms.empty()) return "none: no alarm setting was recorded with these readings";
  std::string statement = "the alarm setting recorded with each download: ";
  for (std::size_t at = 0; at < instruments_by_alarms.size(); ++at) {
    const auto& [alarms, instruments] = instruments_by_alarms[at];
    if (at > 0) statement += "; ";
    statement += ppm_list(alarms) + (instruments.size() == 1 ? " for instrument " : " for instruments ") +
                 joined_html(instruments);
  }
  return statement;
}

// One sentence that says what a supervisor looks for first.
std::string headline(const ReportFacts& facts) {
  if (facts.locations.empty()) return "No readings in scope.";
  const LocationSummary& top = facts.locations.front();
  std::string text;
  if (facts.leak_count == 0) {
    text = "No leaks: no reading at or above its threshold.";
  } else {
    text = format_count(facts.leak_count) + (facts.leak_count == 1 ? " leak" : " leaks") + " at " +
           format_count(facts.leaks.size()) + " of " + format_count(facts.locations.size()) + " locations.";
  }
  if (top.highest) {
    const ReportReading& highest = facts.input.readings[*top.highest];
    text += " Highest reading " + format_ppm(*highest.ppm_value) + " ppm at " + html_text(highest.location) + ", " +
            shown_time(highest) + '.';
  }
  return text;
}

void append_instruments(std::string& page, const std::vector<ReportInstrument>& instruments) {
  if (instruments.empty()) return;
  page += "<h3>Instruments, as recorded at downloads</h3>\n<div class=\"w\"><table><thead><tr><th>Instrument</th>"
          "<th>Firmware</th><th class=\"n\">Span</th><th class=\"n\">Response factor</th><th class=\"n\">Alarm</th>"
          "</tr></thead><tbody>\n";
  for (const ReportInstrument& instrument : instruments) {
    page += "<tr><td>" + html_text(instrument.number) + "</td><td>" + html_text(instrument.firmware) +
            "</td><td class=\"n\">" + html_text(instrument.span) + "</td><td class=\"n\">" +
            html_text(instrument.response_factor) + "</td><td class=\"n\">" + html_text(instrument.alarm) +
            "</td></tr>\n";
  }
  page += "</tbody></table></div>\n";
}

}  // namespace

std::string shown_time(const ReportReading& reading) {
  return reading.datetime_iso ? display_time(*reading.datetime_iso) : html_text(reading.datetime);
}

std::string shown_ppm(const std::optional<double>& ppm) { return ppm ? format_ppm(*ppm) : std::string(); }

ReportFacts report_facts(const ReportInput& input, const ReportOptions& options) {
  const std::vector<ReportReading>& readings = input.readings;
  ReportFacts facts{input, options, survey_overview(readings, options.leak_ppm),
                    summarise_locations(readings, options.leak_ppm), {}, 0,
                    summarise_operators(readings, options.leak_ppm), readings_by_day(readings, options.leak_ppm),
                    LogAxis{}};
  facts.leaks = leaks_by_location(readings, facts.locations, options.leak_ppm);
  std::optional<double> lowest_positive;
  double highest = 0;
  for (const ReportReading& reading : readings) {
    if (const std::optional<double> threshold = threshold_of(reading, options.leak_ppm)) {
      highest = std::max(highest, *threshold);
    }
    if (!reading.ppm_value) continue;
    const double value = *reading.ppm_value;
    highest = std::max(highest, value);
    if (value > 0 && (!lowest_positive || value < *lowest_positive)) lowest_positive = value;
  }
  facts.axis = log_axis_covering(lowest_positive, highest);
  for (const LeakGroup& group : facts.leaks) facts.leak_count += group.readings.size();
  return facts;
}

void append_heading(std::string& page, const ReportFacts& facts) {
  const SurveyOverview& overview = facts.overview;
  page += "<header>\n<h1>" + caller_text(facts.options.title) + "</h1>\n";
  page += "<nav><a href=\"#summary\">Summary</a><a href=\"#leaks\">Leaks</a><a href=\"#time\">Over time</a>"
          "<a href=\"#operators\">Operators</a><a href=\"#events\">Events</a><a href=\"#readings\">All readings</a>"
          "</nav>\n";
  page += std::string("<p class=\"h") + (facts.leak_count > 0 ? " k" : "") + "\">" + headline(facts) + "</p>\n";
  page += "<dl>\n<dt>Period</dt><dd>" + period_text(overview, facts.charts.days.size()) + "</dd>\n";
  page += "<dt>Readings</dt><dd>" + format_count(overview.readings) + " at " + format_count(overview.locations) +
          (overview.locations == 1 ? " location" : " locations") + "</dd>\n";
  page += "<dt>Instruments</dt><dd>" + joined_html(overview.instruments) + "</dd>\n";
  page += "<dt>Operators</dt><dd>" + joined_html(overview.operators) + "</dd>\n";
  page += "<dt>Leak threshold</dt><dd>" + threshold_statement(facts) + "</dd>\n";
  page += "<dt>Source</dt><dd>" + caller_text(facts.input.source) + "</dd>\n";
  page += "<dt>Made</dt><dd>" + caller_text(facts.options.made_at) + " by " + caller_text(facts.options.program) +
          "</dd>\n</dl>\n";
  append_instruments(page, facts.input.instruments);
  page += "</header>\n";
}

std::string make_report_html(const ReportInput& input, const ReportOptions& options) {
  const ReportFacts facts = report_facts(input, options);
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  page += caller_text(options.title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<main>\n";
  append_heading(page, facts);
  append_summary_section(page, facts);
  append_leaks_section(page, facts);
  append_charts_section(page, facts);
  append_operators_section(page, facts);
  append_events_section(page, facts);
  append_readings_section(page, facts);
  page += "</main>\n</body>\n</html>\n";
  return page;
}
