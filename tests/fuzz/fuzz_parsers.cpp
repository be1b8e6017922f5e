// Fuzz target: the pure parsers on any text. The input is at once a response
// line (up to its first NUL, as the link hands lines over), a log line, the
// command line's arguments (split at NUL, which no argument can hold) and a
// time argument. Whatever it holds:
//   - each clock field holds the number in its own columns (one beyond
//     int's range held at int's limit, never wrapped round into another), a
//     short line leaves the record untouched, and the display is non-empty
//     exactly for a calendar time, in the display form of its fields;
//   - a setting's or the firmware's value is the line from its position;
//   - a log line falls into the class its first characters give, a reading
//     holds its columns, and its CSV row reads back into its seven fields;
//   - assignments are taken exactly when every one can be sent: known,
//     writable, given once, no control character, not longer than the
//     setting takes, an access level of 1, 2 or 3;
//   - a time is taken exactly when it names a real minute of 2000-2099, and
//     formats back to the text.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "cli/setting_names.h"
#include "cli/time_argument.h"
#include "datalog/csv.h"
#include "datalog/readings.h"
#include "instrument/clock.h"
#include "instrument/firmware.h"
#include "instrument/settings.h"
#include "tests/fuzz/fuzz_harness.h"

namespace {

std::string from(const std::string& text, std::size_t position) {
  return position < text.size() ? text.substr(position) : std::string();
}

// A field holds the number in its columns, or int's limit on that side for
// a number beyond int (as strtol holds one beyond long): never a number
// that the instrument did not send.
int held(long number) {
  constexpr long kLowest = std::numeric_limits<int>::min();
  constexpr long kHighest = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(number, kLowest, kHighest));
}

void check_clock(const std::string& line) {
  FUZZ_CHECK(clock_text_of(line.c_str()) == from(line, kClockTextPosition));
  std::tm record;
  std::memset(&record, 0x5A, sizeof record);
  const std::tm untouched = record;
  const bool parsed = parse_clock_response(line.c_str(), record);
  FUZZ_CHECK(parsed == (line.size() >= kClockResponseMinLength));
  // Fields in "MM/DD/YY HHMM" of the clock text as its work buffer holds it.
  const std::string text = line.substr(std::min(line.size(), kClockTextPosition), kClockBufferSize - 1);
  if (parsed) {
    FUZZ_CHECK(record.tm_min == held(number_in(text, 11, text.size())));
    FUZZ_CHECK(record.tm_hour == held(number_in(text, 9, 11)));
    FUZZ_CHECK(record.tm_year == held(number_in(text, 6, 8)) + 100);
    FUZZ_CHECK(record.tm_mday == held(number_in(text, 3, 5)));
    FUZZ_CHECK(record.tm_mon == held(number_in(text, 0, 5)) - 1);
  }
  FUZZ_CHECK(record.tm_sec == untouched.tm_sec && record.tm_wday == untouched.tm_wday &&
             record.tm_yday == untouched.tm_yday && record.tm_isdst == untouched.tm_isdst);
  if (!parsed) FUZZ_CHECK(std::memcmp(&record, &untouched, sizeof record) == 0);
  const std::string shown = format_clock_display(record);
  FUZZ_CHECK(shown.empty() != is_calendar_time(record));
  if (!shown.empty()) FUZZ_CHECK(shown == clock_display_of(record));
}

void check_values(const std::string& line) {
  FUZZ_CHECK(firmware_version_of(line) == from(line, kFirmwareVersionPosition));
  for (const SettingQuery& query : kSettingQueries) {
    FUZZ_CHECK(setting_value_of(query.setting, line) == from(line, query.value_position));
  }
}

std::string columns(const std::string& line, std::size_t start, std::size_t count) {
  return start < line.size() ? line.substr(start, count) : std::string();
}

void check_log_line(const std::string& line, const LogHeaderValues& header) {
  const LogLineClass line_class = classify_log_line(line);
  const char second = line.size() >= 2 ? line[1] : '\0';
  if (line.empty() || line[0] != ' ') {
    FUZZ_CHECK(line_class == LogLineClass::data);
  } else {
    FUZZ_CHECK(line_class == (second == 'I'   ? LogLineClass::instrument
                              : second == 'U' ? LogLineClass::user
                              : second == 'O' ? LogLineClass::mode
                                              : LogLineClass::skipped));
  }
  const Reading reading = reading_of(header, line);
  FUZZ_CHECK(reading.header.instrument_number == header.instrument_number &&
             reading.header.user_id == header.user_id && reading.header.mode == header.mode);
  FUZZ_CHECK(reading.date_time == columns(line, kDateTimeStart, kDateTimeChars));
  FUZZ_CHECK(reading.location == columns(line, kLocationStart, kLocationChars));
  FUZZ_CHECK(reading.ppm == columns(line, kPpmStart, kPpmChars));
  FUZZ_CHECK(reading.status == from(line, kStatusStart));

  std::string row;
  compose_csv_row(reading, row);
  const std::optional<CsvRecords> records = read_rfc4180(row);
  FUZZ_CHECK(records.has_value());
  FUZZ_CHECK(*records == CsvRecords{{header.instrument_number, header.user_id, header.mode, reading.date_time,
                                     reading.location, reading.ppm, reading.status}});
}

// What the dialog's field for the setting takes: digits up to the
// setting's limit (the span and the response factor one decimal point
// besides); the access level 1, 2 or 3.
bool field_takes(Setting setting, const std::string& value) {
  if (setting == Setting::access_level) return value == "1" || value == "2" || value == "3";
  const bool decimal = setting == Setting::span_concentration || setting == Setting::response_factor;
  static const std::regex digits("[0-9]*"), decimal_number("[0-9]*\\.?[0-9]*");
  return value.size() <= setting_rule(setting).sent_chars && std::regex_match(value, decimal ? decimal_number : digits);
}

// The values when every assignment can be sent; nothing otherwise.
std::optional<SettingTexts> sendable(const std::vector<std::string>& assignments) {
  if (assignments.empty()) return std::nullopt;
  SettingTexts values;
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const std::optional<Setting> setting = setting_named(assignment.substr(0, equals));
    const std::string value = assignment.substr(equals + 1);
    if (!setting || !setting_rule(*setting).writable || text_of(values, *setting)) return std::nullopt;
    if (!field_takes(*setting, value)) return std::nullopt;
    text_of(values, *setting) = value;
  }
  return values;
}

void check_assignments(const std::vector<std::string>& arguments) {
  std::string error;
  const std::optional<SettingTexts> taken = parse_setting_assignments(arguments, error);
  const std::optional<SettingTexts> expected = sendable(arguments);
  FUZZ_CHECK(taken.has_value() == expected.has_value());
  FUZZ_CHECK(taken.has_value() == error.empty());
  if (taken) FUZZ_CHECK(*taken == *expected);
}

std::string formatted_time(const std::tm& time) {
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &time);
  return std::string(text, length);
}

// The minute that the text names in "YYYY-MM-DD HH:MM" (or with "T" for the
// blank), when the calendar has it: the fields survive timegm's
// normalisation and format back to the text.
std::optional<std::tm> calendar_minute(std::string text) {
  if (text.size() != 16) return std::nullopt;
  if (text[10] == 'T') text[10] = ' ';
  const auto digit_or_separator = [](char c) { return c == ' ' || c == '-' || c == ':' || (c >= '0' && c <= '9'); };
  if (!std::all_of(text.begin(), text.end(), digit_or_separator)) return std::nullopt;
  std::tm time{};
  time.tm_year = static_cast<int>(number_in(text, 0, 4)) - 1900;
  time.tm_mon = static_cast<int>(number_in(text, 5, 7)) - 1;
  time.tm_mday = static_cast<int>(number_in(text, 8, 10));
  time.tm_hour = static_cast<int>(number_in(text, 11, 13));
  time.tm_min = static_cast<int>(number_in(text, 14, 16));
  std::tm normalised = time;
  const std::time_t seconds = timegm(&normalised);
  std::tm back{};
  gmtime_r(&seconds, &back);
  if (formatted_time(back) != text) return std::nullopt;
  return time;
}

void check_time(const std::string& text) {
  std::string error;
  const std::optional<std::tm> taken = parse_time_argument(text, error);
  const std::optional<std::tm> minute = calendar_minute(text);
  const bool in_range = minute && minute->tm_year >= 100 && minute->tm_year <= 199;
  FUZZ_CHECK(taken.has_value() == in_range);
  FUZZ_CHECK(taken.has_value() == error.empty());
  if (!taken) return;
  FUZZ_CHECK(taken->tm_year >= 100 && taken->tm_year <= 199 && taken->tm_sec == 0);
  std::string blank_form = text;
  blank_form[10] = ' ';
  FUZZ_CHECK(formatted_time(*taken) == blank_form);
  FUZZ_CHECK(taken->tm_mon == minute->tm_mon && taken->tm_mday == minute->tm_mday);
}

std::vector<std::string> split_at_nul(const std::string& input) {
  std::vector<std::string> pieces;
  if (input.empty()) return pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nul = input.find('\0', start);
    pieces.push_back(input.substr(start, nul - start));
    if (nul == std::string::npos) return pieces;
    start = nul + 1;
  }
}

// A record with any fields, from the input's first bytes.
std::tm any_record(const std::string& input) {
  int fields[5] = {};
  std::memcpy(fields, input.data(), std::min(input.size(), sizeof fields));
  std::tm record{};
  record.tm_mon = fields[0];
  record.tm_mday = fields[1];
  record.tm_year = fields[2];
  record.tm_hour = fields[3];
  record.tm_min = fields[4];
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string line = input.substr(0, input.find('\0'));
  check_clock(line);
  check_values(line);

  const std::tm record = any_record(input);
  const std::string shown = format_clock_display(record);
  FUZZ_CHECK(shown.empty() != is_calendar_time(record));
  if (!shown.empty()) FUZZ_CHECK(shown == clock_display_of(record));

  const std::vector<std::string> arguments = split_at_nul(input);
  const auto argument = [&arguments](std::size_t i) { return i < arguments.size() ? arguments[i] : std::string(); };
  check_log_line(input, LogHeaderValues{argument(1), argument(2), argument(3)});
  check_assignments(arguments);
  check_time(input);
  return 0;
}
