// Fuzz target: any bytes play the instrument for the core's readouts (the
// firmware version, the clock, the eight settings, the data log), and what
// was downloaded goes through every data-log format. Whatever comes:
//   - each readout holds what its query brought, from its value position,
//     and nothing when the query failed; the clock shown is the display
//     form of a calendar time made of the numbers in the clock text, and
//     otherwise the text as received;
//   - the log list holds every line received in its shown form, in order,
//     with exactly one separator above each banner line;
//   - the printed pages hold the list's items in order, 58 a page, each
//     line lower than the one before;
//   - the CSV reads back under RFC 4180, and through the program's own
//     reader, into the header and exactly the seven fields of each reading
//     it was made from.
// The input: the leading bytes of fuzz_harness.h, then the reply records.

#include <algorithm>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "datalog/csv.h"
#include "datalog/csv_reader.h"
#include "datalog/log_list.h"
#include "datalog/print_pages.h"
#include "datalog/readings.h"
#include "instrument/clock.h"
#include "instrument/data_log.h"
#include "instrument/firmware.h"
#include "instrument/settings.h"
#include "tests/fuzz/fuzz_harness.h"

namespace {

constexpr std::size_t kLongestLogLine = 98;  // what a 100-byte read holds between its framing bytes


// One exchange as the trace told it: its command and result.
struct Exchange {
  std::string command;
  bool failed = true;
  std::string result;
};

std::vector<Exchange> exchanges_of(const std::vector<RecordedEvent>& trace) {
  std::vector<Exchange> exchanges;
  for (const RecordedEvent& event : trace) {
    if (event.kind == TraceEventKind::exchange_started) exchanges.push_back({event.bytes, true, std::string()});
    if (event.kind == TraceEventKind::exchange_ended) {
      exchanges.back().failed = event.failure_marker;
      exchanges.back().result = event.bytes;
    }
  }
  return exchanges;
}

std::string from(const std::string& text, std::size_t position) {
  return position < text.size() ? text.substr(position) : std::string();
}

void check_firmware(const std::optional<std::string>& version, const Exchange& exchange) {
  FUZZ_CHECK(exchange.command == "GET VERSION NUMBER");
  FUZZ_CHECK(version.has_value() == !exchange.failed);
  if (version) FUZZ_CHECK(*version == from(exchange.result, kFirmwareVersionPosition));
}

void check_clock(const ClockReading& reading, const Exchange& exchange) {
  FUZZ_CHECK(exchange.command == "GET REAL TIME");
  FUZZ_CHECK(reading.answered == !exchange.failed);
  const std::string shown = clock_shown(reading);
  if (!reading.answered) {
    FUZZ_CHECK(shown.empty());
    return;
  }
  FUZZ_CHECK(reading.clock_text == from(exchange.result, kClockTextPosition));
  FUZZ_CHECK(reading.time.has_value() == (exchange.result.size() >= kClockResponseMinLength));
  if (!reading.time || !is_calendar_time(*reading.time)) {
    FUZZ_CHECK(shown == reading.clock_text);
    return;
  }
  FUZZ_CHECK(shown == clock_display_of(*reading.time));
  // The time shown is made of the numbers in the clock text's columns
  // ("MM/DD/YY HHMM"), none wrapped round into range.
  const std::string& text = reading.clock_text;
  const std::tm& time = *reading.time;
  FUZZ_CHECK(number_in(text, 0, 5) - 1 == time.tm_mon && number_in(text, 3, 5) == time.tm_mday &&
             number_in(text, 6, 8) + 100 == time.tm_year && number_in(text, 9, 11) == time.tm_hour &&
             number_in(text, 11, text.size()) == time.tm_min);
}

void check_settings(const SettingTexts& values, const std::vector<Exchange>& exchanges) {
  FUZZ_CHECK(exchanges.size() == kSettingCount);
  std::vector<bool> asked(kSettingCount, false);
  for (const Exchange& exchange : exchanges) {
    for (const SettingQuery& query : kSettingQueries) {
      if (exchange.command != query.command) continue;
      const std::size_t index = static_cast<std::size_t>(query.setting);
      FUZZ_CHECK(!asked[index]);
      asked[index] = true;
      const std::optional<std::string>& value = text_of(values, query.setting);
      FUZZ_CHECK(value.has_value() == !exchange.failed);
      if (value) FUZZ_CHECK(*value == from(exchange.result, query.value_position));
    }
  }
  FUZZ_CHECK(std::find(asked.begin(), asked.end(), false) == asked.end());
}

void check_list(const std::vector<std::string>& lines, const std::vector<std::string>& items) {
  std::size_t item = 0;
  for (const std::string& line : lines) {
    const std::string shown = shown_line(line);
    if (shown == kBannerLine) {
      FUZZ_CHECK(item < items.size() && items[item] == kSeparatorItem);
      ++item;
    }
    FUZZ_CHECK(item < items.size() && items[item] == shown);
    ++item;
  }
  FUZZ_CHECK(item == items.size());
}

// Every page lays out its lines alike: one left margin, each line lower than
// the one before; at 600 dpi the positions are the units themselves.
void check_pages(const std::vector<std::string>& items, const std::vector<PrintedPage>& pages,
                 PrinterResolution resolution) {
  std::size_t item = 0;
  for (const PrintedPage& page : pages) {
    FUZZ_CHECK(!page.empty() && page.size() <= static_cast<std::size_t>(kPrintLinesPerPage));
    // Only the last page may be short.
    FUZZ_CHECK(&page == &pages.back() || page.size() == static_cast<std::size_t>(kPrintLinesPerPage));
    for (std::size_t i = 0; i < page.size(); ++i) {
      const PrintedLine& line = page[i];
      FUZZ_CHECK(item < items.size() && line.text == printed_text(items[item]));
      FUZZ_CHECK(line.x == pages[0][0].x && line.y == pages[0][i].y);
      FUZZ_CHECK(i == 0 || line.y > page[i - 1].y);
      if (resolution.dots_per_inch_x == kPrintUnitsPerInch) FUZZ_CHECK(line.x == kPrintLeftUnits);
      if (resolution.dots_per_inch_y == kPrintUnitsPerInch) {
        FUZZ_CHECK(line.y == kPrintFirstLineUnits + static_cast<int>(i) * kPrintLineSpacingUnits);
        FUZZ_CHECK(line.y < kPrintBottomUnits);
      }
      ++item;
    }
  }
  FUZZ_CHECK(item == items.size());
}

void check_csv(const std::vector<std::string>& lines) {
  std::string csv = kCsvHeaderLine;
  FUZZ_CHECK(for_each_csv_row(lines, [&csv](const std::string& row) {
    csv += row;
    return true;
  }));
  std::vector<std::vector<std::string>> expected{
      {"Instrument #", "User ID #", "Mode", "Date/Time", "Location", "PPM", "Status"}};
  for_each_reading(lines, [&expected](const Reading& reading) {
    expected.push_back({reading.header.instrument_number, reading.header.user_id, reading.header.mode,
                        reading.date_time, reading.location, reading.ppm, reading.status});
    return true;
  });
  const std::optional<CsvRecords> records = read_rfc4180(csv);
  FUZZ_CHECK(records.has_value());
  FUZZ_CHECK(*records == expected);

  // The program's own reader of the export gives back the same readings.
  std::istringstream input(csv);
  std::size_t record = 1;
  const CsvReadResult result = read_csv_readings(input, [&](const Reading& reading) {
    FUZZ_CHECK(record < expected.size());
    FUZZ_CHECK(expected[record++] == std::vector<std::string>{reading.header.instrument_number, reading.header.user_id,
                                                              reading.header.mode, reading.date_time, reading.location,
                                                              reading.ppm, reading.status});
    return true;
  });
  FUZZ_CHECK(result.status == CsvReadStatus::read && record == expected.size());
}

void check_data_log(const DataLogDownload& download, const Exchange& exchange, PrinterResolution resolution) {
  FUZZ_CHECK(exchange.command == "GET LOG DATA");
  FUZZ_CHECK((download.outcome == DownloadOutcome::complete) == !exchange.failed);
  FUZZ_CHECK(download.outcome != DownloadOutcome::cancelled);
  const std::vector<std::string>& lines = download.lines;
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.size() <= kLongestLogLine && line.find('\0') == std::string::npos);
  }
  const std::vector<std::string> items = log_list_items(lines);
  check_list(lines, items);
  check_pages(items, lay_out_pages(items, resolution), resolution);
  check_csv(lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  int readouts = input.byte() & 0x0F;
  if (readouts == 0) readouts = 0x0F;
  const int resolutions = input.byte();
  const PrinterResolution resolution{kFuzzResolutions[resolutions & 3], kFuzzResolutions[(resolutions >> 2) & 3]};
  play_instrument_from(input);
  Instrument instrument(*rig().port, record_trace());
  const std::vector<RecordedEvent>& trace = rig().events;

  if ((readouts & 1) && !input.used_up()) {
    const std::optional<std::string> version = read_firmware_version(instrument);
    check_firmware(version, exchanges_of(trace).back());
  }
  if ((readouts & 2) && !input.used_up()) {
    const ClockReading reading = read_instrument_clock(instrument);
    check_clock(reading, exchanges_of(trace).back());
  }
  if ((readouts & 4) && !input.used_up()) {
    const std::size_t before = exchanges_of(trace).size();
    const SettingTexts values = read_settings(instrument, nullptr);
    std::vector<Exchange> exchanges = exchanges_of(trace);
    exchanges.erase(exchanges.begin(), exchanges.begin() + static_cast<std::ptrdiff_t>(before));
    check_settings(values, exchanges);
  }
  if ((readouts & 8) && !input.used_up()) {
    const DataLogDownload download = download_data_log(instrument, nullptr);
    check_data_log(download, exchanges_of(trace).back(), resolution);
  }
  return 0;
}
