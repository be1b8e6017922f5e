// The report page end to end: escaped and self-contained whatever the
// instrument sent, the right sections for the source, the threshold as
// stated, the full table or the listing hint, and one titled mark per kept
// point. (test_report_render.py validates and renders the sample pages.)

#include "report/report_html.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/day_chart.h"
#include "report/html_text.h"
#include "report/svg_charts.h"

namespace {

std::size_t occurrences(const std::string& page, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1)) ++count;
  return count;
}

std::string section_of(const std::string& page, const std::string& id) {
  const std::size_t start = page.find("<section id=\"" + id + "\">");
  if (start == std::string::npos) return std::string();
  return page.substr(start, page.find("</section>", start) - start);
}

ReportReading page_reading(const std::string& instrument, const std::string& location, const std::string& iso,
                         double ppm, double alarm) {
  ReportReading reading;
  reading.instrument = instrument;
  reading.user_id = "000000042";
  reading.location = location;
  reading.datetime_iso = iso;
  reading.ppm = std::to_string(static_cast<int>(ppm));
  reading.ppm_value = ppm;
  reading.alarm_ppm = alarm;
  return reading;
}

TEST(ReportPage, HostileInstrumentTextsLeaveItWellFormedEscapedAndSelfContained) {
  ReportInput input;
  ReportReading hostile = page_reading("<i>", "</td><script>", "2008-05-23T14:32", 600, 50);
  hostile.status = "\"http://x\" \x01\xE9";
  hostile.datetime_iso.reset();
  hostile.datetime = "<b>";
  input.readings = {hostile, page_reading("000123", "A&B", "2008-05-23T14:40", 3, 50)};
  input.instruments = {{"<i>", "3.1'", "0100", "1.00", "0050"}};
  input.events_known = true;
  input.events = {{"2008-05-23T07:00", "<i>", "settings changed", "alarm 0050 \xE2\x86\x92 <0100>"}};
  ReportOptions options;
  options.title = "Caf\xC3\xA9 <north>";
  const std::string page = make_report_html(input, options);

  for (const char* absent : {"<script", "<i>", " src=", "url("}) {
    EXPECT_EQ(page.find(absent), std::string::npos) << absent;
  }
  EXPECT_EQ(occurrences(page, " href=\""), occurrences(page, " href=\"#"));
  for (const char* escaped : {"&lt;/td&gt;&lt;script&gt;", "&quot;http://x&quot; \xE2\x90\x81\xC3\xA9",
                              "<title>Caf\xC3\xA9 &lt;north&gt;</title>", "alarm 0050 \xE2\x86\x92 &lt;0100&gt;",
                              "<meta charset=\"utf-8\">"}) {
    EXPECT_NE(page.find(escaped), std::string::npos) << escaped;
  }
  std::size_t previous = 0;
  for (const std::string id : {"summary", "leaks", "time", "operators", "events", "readings"}) {
    const std::size_t at = page.find("<section id=\"" + id + "\">");
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_GT(at, previous) << id;
    previous = at;
  }
}

TEST(ReportPage, StatesTheThresholdUsedAndWhatHasNone) {
  ReportInput input;
  input.readings = {page_reading("000123", "A1", "2008-05-23T14:32", 60, 50),
                    page_reading("000124", "A2", "2008-05-23T14:33", 60, 50),
                    page_reading("000126", "A3", "2008-05-23T14:34", 60, 100),
                    page_reading("000126", "A3", "2008-05-23T14:35", 60, 50)};
  input.readings.push_back(input.readings.front());
  input.readings.back().alarm_ppm.reset();
  const std::string recorded = make_report_html(input, ReportOptions{});
  EXPECT_NE(recorded.find("the alarm setting recorded with each download: 50 ppm for instruments 000123, 000124; "
                          "50 and 100 ppm for instrument 000126"),
            std::string::npos);
  EXPECT_NE(section_of(recorded, "leaks").find("1 reading has no known threshold"), std::string::npos);
  EXPECT_NE(section_of(recorded, "leaks").find("3 readings at or above their threshold at 3 locations"),
            std::string::npos);

  ReportOptions given;
  given.leak_ppm = 60;
  const std::string page = make_report_html(input, given);
  EXPECT_NE(page.find("60 ppm for every reading, as given (--leak-ppm)"), std::string::npos);
  EXPECT_NE(section_of(page, "leaks").find("5 readings at or above their threshold"), std::string::npos);
  EXPECT_EQ(section_of(page, "leaks").find("no known threshold"), std::string::npos);
}

TEST(ReportPage, EventsOnlyFromAnArchiveAndEveryReadingListedUpToTheLimit) {
  ReportInput input;
  ReportOptions options;
  options.listing_hint = "719k report --list";
  for (std::size_t count = 0; count < kMostReadingsListed; ++count) {
    input.readings.push_back(page_reading("000123", "A1", "2008-05-23T14:32", 1, 50));
  }
  std::string page = make_report_html(input, options);
  EXPECT_EQ(occurrences(section_of(page, "readings"), "<tr>"), kMostReadingsListed + 1);
  EXPECT_NE(section_of(page, "events").find("recorded only in an archive"), std::string::npos);

  input.readings.push_back(input.readings.front());
  input.events_known = true;
  page = make_report_html(input, options);
  EXPECT_EQ(section_of(page, "readings").find("<table"), std::string::npos);
  EXPECT_NE(section_of(page, "readings").find("10,001 readings in scope"), std::string::npos);
  EXPECT_NE(section_of(page, "readings").find("<code>719k report --list</code>"), std::string::npos);
  EXPECT_NE(section_of(page, "events").find("No events were recorded."), std::string::npos);

  options.listing_hint.clear();  // a report of files
  EXPECT_NE(section_of(make_report_html(input, options), "readings").find("The files this report was made from"),
            std::string::npos);
}

TEST(ReportPage, ACrowdedDayIsDrawnAsItsKeptPointsEachWithItsTitle) {
  ReportInput input;
  for (int minute = 0; minute < 600; ++minute) {
    for (const double ppm : {0.0, 3.0, 7.0, minute % 97 == 0 ? 400.0 : 12.0}) {
      char iso[32];
      std::snprintf(iso, sizeof iso, "2008-05-23T%02d:%02d", 7 + minute / 60, minute % 60);
      input.readings.push_back(page_reading("000123", "A1", iso, ppm, 50));
    }
  }
  const std::string page = make_report_html(input, ReportOptions{});
  const DayCharts charts = readings_by_day(input.readings, std::nullopt);
  ASSERT_EQ(charts.days.size(), 1u);
  const std::vector<ChartPoint>& points = charts.days[0].points;
  const std::vector<ChartPoint> kept = reduce_to_columns(points, hours_covering(points), kDayPlotColumns);
  ASSERT_LT(kept.size(), points.size());
  const std::string charts_html = section_of(page, "time");
  EXPECT_EQ(occurrences(charts_html, "</title></circle>") + occurrences(charts_html, "</title></path>"), kept.size());
  EXPECT_EQ(occurrences(charts_html, "</title></path>"), 7u);  // the leaks, one a column
  EXPECT_NE(charts_html.find("<title>A1 07:00, 0 ppm</title>"), std::string::npos);
  EXPECT_NE(charts_html.find("2,400 readings, 7 leaks; drawn as " + format_count(kept.size()) + " marks"),
            std::string::npos);
}

}  // namespace
