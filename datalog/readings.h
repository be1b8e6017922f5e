#pragma once
// The readings in a downloaded log, each with the instrument number, user ID
// and mode of the header lines above it.
//
// The log's lines fall into classes by their first characters: instrument
// (" I"), user (" U") and mode (" O") lines set the header values from their
// character 17 on; other lines that begin with a blank (the banner, the
// column header) are skipped; every other line, an empty one included, is a
// data line and yields one reading. A data line's date/time, location and PPM
// are cut from fixed columns, those of the instrument's short column header,
// and its status runs from character 36 to the end; a field that runs past
// the end of its line holds what the line has in its columns, possibly
// nothing. Values and lines of any length are kept whole.
//
// The header values start empty in every walk, so no reading carries the
// instrument number, user ID or mode of another log.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Where each header line's value and each data line's fields begin.
inline constexpr std::size_t kHeaderValueStart = 17;
inline constexpr std::size_t kDateTimeStart = 0;
inline constexpr std::size_t kDateTimeChars = 13;
inline constexpr std::size_t kLocationStart = 16;
inline constexpr std::size_t kLocationChars = 6;
inline constexpr std::size_t kPpmStart = 28;
inline constexpr std::size_t kPpmChars = 4;
inline constexpr std::size_t kStatusStart = 36;

enum class LogLineClass { instrument, user, mode, skipped, data };

LogLineClass classify_log_line(const std::string& line);

struct LogHeaderValues {
  std::string instrument_number;
  std::string user_id;
  std::string mode;
};

struct Reading {
  LogHeaderValues header;
  std::string date_time;
  std::string location;
  std::string ppm;
  std::string status;
};

// The reading of one data line under the given header values.
Reading reading_of(const LogHeaderValues& header, const std::string& data_line);

// Walks the lines in order and hands each reading to on_reading. Stops at
// the first reading that on_reading refuses (returns false); false then.
bool for_each_reading(const std::vector<std::string>& log_lines,
                      const std::function<bool(const Reading& reading)>& on_reading);
