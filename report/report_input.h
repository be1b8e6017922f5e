#pragma once
// What a survey report is made from: the readings in scope as the log has
// them, each with the values computed from its texts where they hold any;
// the instruments' settings and the events recorded at downloads; and the
// options of the report itself.
//
// The texts are the instrument's bytes (Latin-1); the page converts and
// escapes them. The caller chooses the readings (sources, filters) and
// passes the time of making: the report reads no file, no database and no
// clock, and takes the readings in the order given.

#include <optional>
#include <string>
#include <vector>

struct ReportReading {
  std::string instrument, user_id, mode, datetime, location, ppm, status;  // as the log has them
  std::optional<std::string> datetime_iso;  // "2008-05-23T14:32"; none when the text is no calendar time
  std::optional<double> ppm_value;          // none when the PPM text is no number
  std::optional<double> alarm_ppm;          // the alarm setting recorded with the download that brought it
};

// The settings recorded at downloads, one entry per distinct combination.
struct ReportInstrument {
  std::string number, firmware, span, response_factor, alarm;
};

// Settings changed, clock set, erase: `detail` is text ready to show.
struct ReportEvent {
  std::string at, instrument, kind, detail;
};

struct ReportInput {
  std::vector<ReportReading> readings;  // in arrival order
  std::vector<ReportInstrument> instruments;
  std::vector<ReportEvent> events;
  bool events_known = false;  // only an archive records events; CSV files do not
  std::string source;         // "archive <path>" or the CSV files' names
};

struct ReportOptions {
  std::string title = "Survey report";
  std::optional<double> leak_ppm;  // overrides every recorded alarm setting
  std::string made_at;             // local time, e.g. "2026-12-07 19:30"
  std::string program;             // e.g. "719k 1.1.0"
  std::string listing_hint;        // the command that lists every reading in scope; empty: the source's files
};
