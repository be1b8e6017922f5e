#include "datalog/readings.h"

#include <algorithm>

namespace {

std::string text_from(const std::string& line, std::size_t start) {
  return start < line.size() ? line.substr(start) : std::string();
}

// The characters that the line has in the columns start to start + count,
// possibly none: short lines give short or empty fields.
std::string column(const std::string& line, std::size_t start, std::size_t count) {
  return start < line.size() ? line.substr(start, std::min(count, line.size() - start)) : std::string();
}

}  // namespace

LogLineClass classify_log_line(const std::string& line) {
  if (line.empty() || line[0] != ' ') return LogLineClass::data;
  if (line.size() >= 2) {
    if (line[1] == 'I') return LogLineClass::instrument;
    if (line[1] == 'U') return LogLineClass::user;
    if (line[1] == 'O') return LogLineClass::mode;
  }
  return LogLineClass::skipped;
}

Reading reading_of(const LogHeaderValues& header, const std::string& data_line) {
  return Reading{header, column(data_line, kDateTimeStart, kDateTimeChars),
                 column(data_line, kLocationStart, kLocationChars), column(data_line, kPpmStart, kPpmChars),
                 text_from(data_line, kStatusStart)};
}

bool for_each_reading(const std::vector<std::string>& log_lines,
                      const std::function<bool(const Reading& reading)>& on_reading) {
  LogHeaderValues header;
  for (const std::string& line : log_lines) {
    switch (classify_log_line(line)) {
      case LogLineClass::instrument:
        header.instrument_number = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::user:
        header.user_id = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::mode:
        header.mode = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::skipped:
        break;
      case LogLineClass::data:
        if (!on_reading(reading_of(header, line))) return false;
        break;
    }
  }
  return true;
}
