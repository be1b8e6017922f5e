#include "report/report_sections.h"

#include "report/html_text.h"
#include "report/report_html.h"
#include "report/svg_charts.h"

namespace {

constexpr const char* kLeakSign = "\xE2\x96\xB2 ";  // U+25B2, the charts' leak triangle

void open_section(std::string& page, const char* id, const char* heading) {
  page += std::string("<section id=\"") + id + "\">\n<h2>" + heading + "</h2>\n";
}

// "<th>" cells from a list of headings; a heading that starts with '#' is
// numeric (right-aligned).
void append_head_row(std::string& page, std::initializer_list<const char*> headings) {
  page += "<div class=\"w\"><table><thead><tr>";
  for (const char* heading : headings) {
    page += *heading == '#' ? std::string("<th class=\"n\">") + (heading + 1) : std::string("<th>") + heading;
    page += "</th>";
  }
  page += "</tr></thead>\n";
}

void append_cell(std::string& page, const std::string& html, const char* css_class = nullptr) {
  page += css_class ? std::string("<td class=\"") + css_class + "\">" : std::string("<td>");
  page += html;
  page += "</td>";
}

std::string location_html(const std::string& location) {
  return location.empty() ? std::string("(none)") : html_text(location);
}

// A reading's PPM as the log has it, without its padding.
std::string ppm_text_html(const ReportReading& reading) { return html_text(trimmed(reading.ppm)); }

std::string count_of(std::size_t count, const char* one, const char* many) {
  return format_count(count) + ' ' + (count == 1 ? one : many);
}

bool several_thresholds_at_one_location(const std::vector<LocationSummary>& locations) {
  for (const LocationSummary& location : locations) {
    if (location.thresholds.size() > 1) return true;
  }
  return false;
}

void append_summary_row(std::string& page, const LocationSummary& location, const ReportFacts& facts) {
  const std::vector<ReportReading>& readings = facts.input.readings;
  const ReportReading& latest = readings[location.latest];
  page += "<tr>";
  append_cell(page, location_html(location.location));
  if (location.highest) {
    append_cell(page, shown_ppm(readings[*location.highest].ppm_value), "n");
    append_cell(page, location_bar_svg(location, readings, facts.axis), "c");
    append_cell(page, shown_time(readings[*location.highest]));
  } else {
    page += "<td></td><td></td><td></td>";
  }
  append_cell(page, format_count(location.leaks), location.leaks > 0 ? "n k" : "n");
  append_cell(page, format_count(location.readings), "n");
  append_cell(page, location.highest ? format_mean(location.mean_ppm) : std::string(), "n");
  append_cell(page, ppm_text_html(latest), "n");
  append_cell(page, shown_time(latest));
  page += "</tr>\n";
}

// The marks' key, drawn with the charts' own classes.
void append_chart_key(std::string& page) {
  page += "<p class=\"key\"><span><svg class=\"i\" viewBox=\"0 0 12 12\" aria-hidden=\"true\"><g class=\"m\">"
          "<circle cx=\"6\" cy=\"6\" r=\"4\"/></g></svg>reading</span><span><svg class=\"i\" viewBox=\"0 0 12 12\" "
          "aria-hidden=\"true\"><path class=\"k\" d=\"M6 1l5 9H1z\"/></svg>leak (at or above its threshold)</span>"
          "<span><svg class=\"i\" viewBox=\"0 0 12 12\" aria-hidden=\"true\"><path class=\"t\" d=\"M0 6h12\"/>"
          "</svg>threshold</span></p>\n";
}

void append_day_chart(std::string& page, const ReportDay& day, const ReportFacts& facts) {
  const DayHours hours = hours_covering(day.points);
  const std::vector<ChartPoint> marks = reduce_to_columns(day.points, hours, kDayPlotColumns);
  std::size_t leaks = 0;
  for (const ChartPoint& point : day.points) leaks += point.leak ? 1 : 0;
  page += "<figure><figcaption><b>" + html_text(day.date) + "</b> <span class=\"u\">" +
          count_of(day.points.size(), "reading", "readings") + ", " + count_of(leaks, "leak", "leaks");
  if (marks.size() < day.points.size()) page += "; drawn as " + format_count(marks.size()) + " marks";
  page += "</span></figcaption>\n<div class=\"w\">" + day_chart_svg(day, marks, hours, facts.axis, facts.input.readings) +
          "</div></figure>\n";
}

}  // namespace

void append_summary_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "summary", "Summary by location");
  if (facts.locations.empty()) {
    page += "<p>No readings in scope.</p>\n</section>\n";
    return;
  }
  page += "<p>Locations by their highest reading. Each bar shows it on a logarithmic scale, red where the location "
          "has a leak; a dark line marks the threshold";
  page += several_thresholds_at_one_location(facts.locations)
              ? "s of its readings (where they came with different alarm settings, each is drawn).</p>\n"
              : ".</p>\n";
  page += "<div class=\"w\"><table><thead><tr><th>Location</th><th class=\"n\">Highest ppm</th><th>Highest, "
          "log scale" +
          bar_axis_svg(facts.axis) +
          "</th><th>When</th><th class=\"n\">Leaks</th><th class=\"n\">Readings</th><th class=\"n\">Mean ppm</th>"
          "<th class=\"n\">Last ppm</th><th>When</th></tr></thead>\n<tbody>\n";
  for (const LocationSummary& location : facts.locations) append_summary_row(page, location, facts);
  page += "</tbody></table></div>\n</section>\n";
}

void append_leaks_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "leaks", "Leaks");
  page += "<p>" + count_of(facts.leak_count, "reading", "readings") + " at or above " +
          (facts.leak_count == 1 ? "its" : "their") + " threshold at " +
          count_of(facts.leaks.size(), "location", "locations") +
          (facts.leaks.empty() ? "." : ", by location in the summary's order and by time.") + "</p>\n";
  if (facts.overview.without_threshold > 0) {
    page += "<p>" + count_of(facts.overview.without_threshold, "reading has", "readings have") +
            " no known threshold (no alarm setting was recorded with its download) and so are in no leak list; "
            "give <code>--leak-ppm</code> to include them.</p>\n";
  }
  if (facts.leaks.empty()) {
    page += "</section>\n";
    return;
  }
  append_head_row(page, {"Time", "#ppm", "#Threshold", "Status", "Instrument", "Operator"});
  const std::vector<ReportReading>& readings = facts.input.readings;
  for (const LeakGroup& group : facts.leaks) {
    page += "<tbody><tr><th colspan=\"6\">" + location_html(group.location) + " <span class=\"u\">" +
            count_of(group.readings.size(), "leak", "leaks") + "</span></th></tr>\n";
    for (const std::size_t index : group.readings) {
      const ReportReading& reading = readings[index];
      page += "<tr>";
      append_cell(page, shown_time(reading));
      append_cell(page, ppm_text_html(reading), "n k");
      append_cell(page, shown_ppm(threshold_of(reading, facts.options.leak_ppm)), "n");
      append_cell(page, html_text(reading.status), "s");
      append_cell(page, html_text(reading.instrument));
      append_cell(page, html_text(reading.user_id));
      page += "</tr>\n";
    }
    page += "</tbody>\n";
  }
  page += "</table></div>\n</section>\n";
}

void append_charts_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "time", "Readings over time");
  page += "<p>One chart per day: each reading against the time of day, ppm on a logarithmic scale; readings of " +
          format_ppm(facts.axis.floor_ppm) +
          " ppm and less are drawn on the axis floor. Each mark names its location, time and ppm. Where a day has more "
          "readings than its chart has columns, each column keeps its lowest and highest reading and its highest "
          "leak, so that no peak is lost. A line marks each threshold that applies.</p>\n";
  append_chart_key(page);
  if (facts.charts.left_out > 0) {
    page += "<p>" + count_of(facts.charts.left_out, "reading", "readings") +
            " without a calendar time or a number in ppm " + (facts.charts.left_out == 1 ? "is" : "are") +
            " left out of the charts.</p>\n";
  }
  for (const ReportDay& day : facts.charts.days) append_day_chart(page, day, facts);
  page += "</section>\n";
}

void append_operators_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "operators", "Operators");
  if (facts.operators.empty()) {
    page += "<p>No readings in scope.</p>\n</section>\n";
    return;
  }
  append_head_row(page, {"Operator (user ID)", "#Readings", "#Locations visited", "#Highest ppm", "#Leaks found"});
  page += "<tbody>\n";
  for (const OperatorSummary& summary : facts.operators) {
    page += "<tr>";
    append_cell(page, summary.user_id.empty() ? std::string("(none)") : html_text(summary.user_id));
    append_cell(page, format_count(summary.readings), "n");
    append_cell(page, format_count(summary.locations), "n");
    append_cell(page, summary.highest ? shown_ppm(facts.input.readings[*summary.highest].ppm_value) : "", "n");
    append_cell(page, format_count(summary.leaks), summary.leaks > 0 ? "n k" : "n");
    page += "</tr>\n";
  }
  page += "</tbody></table></div>\n</section>\n";
}

void append_events_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "events", "Events");
  if (!facts.input.events_known) {
    page += "<p>Events (settings changed, clock set, log erased) are recorded only in an archive of downloads; "
            "this report's source holds none.</p>\n</section>\n";
    return;
  }
  if (facts.input.events.empty()) {
    page += "<p>No events were recorded.</p>\n</section>\n";
    return;
  }
  append_head_row(page, {"When", "Instrument", "Event", "Detail"});
  page += "<tbody>\n";
  for (const ReportEvent& event : facts.input.events) {
    page += "<tr>";
    append_cell(page, display_time(event.at));
    append_cell(page, html_text(event.instrument));
    append_cell(page, caller_text(event.kind));
    append_cell(page, caller_text(event.detail), "s");
    page += "</tr>\n";
  }
  page += "</tbody></table></div>\n</section>\n";
}

void append_readings_section(std::string& page, const ReportFacts& facts) {
  open_section(page, "readings", "All readings");
  const std::vector<ReportReading>& readings = facts.input.readings;
  if (readings.size() > kMostReadingsListed) {
    page += "<p>The " + format_count(readings.size()) + " readings in scope are more than this page lists (" +
            format_count(kMostReadingsListed) + " at most).";
    page += facts.options.listing_hint.empty()
                ? std::string(" The files this report was made from list them all.")
                : " To list them all: <code>" + caller_text(facts.options.listing_hint) + "</code>";
    page += "</p>\n</section>\n";
    return;
  }
  page += "<p>In the order they were downloaded; leaks marked " + std::string(kLeakSign) + "in red.</p>\n";
  append_head_row(page, {"Time", "Instrument", "Operator", "Mode", "Location", "#ppm", "Status"});
  page += "<tbody>\n";
  for (const ReportReading& reading : readings) {
    const bool leak = is_leak(reading, facts.options.leak_ppm);
    page += "<tr>";
    append_cell(page, shown_time(reading));
    append_cell(page, html_text(reading.instrument));
    append_cell(page, html_text(reading.user_id));
    append_cell(page, html_text(reading.mode));
    append_cell(page, html_text(reading.location));
    append_cell(page, (leak ? kLeakSign : "") + ppm_text_html(reading), leak ? "n k" : "n");
    append_cell(page, html_text(reading.status), "s");
    page += "</tr>\n";
  }
  page += "</tbody></table></div>\n</section>\n";
}
