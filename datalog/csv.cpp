#include "datalog/csv.h"

#include <algorithm>

namespace {

// A comma or quote would shift the columns of every reader, and a line
// break unquoted splits the row in every spreadsheet.
bool needs_quotes(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

void append_quoted(std::string& row, const std::string& text) {
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

void append_field(std::string& row, const std::string& text) {
  if (needs_quotes(text)) {
    append_quoted(row, text);
  } else {
    row += text;
  }
}

}  // namespace

void compose_csv_row(const Reading& reading, std::string& row) {
  row.clear();
  append_field(row, reading.header.instrument_number);
  row += ',';
  append_field(row, reading.header.user_id);
  row += ',';
  append_quoted(row, reading.header.mode);
  row += ',';
  append_field(row, reading.date_time);
  row += ',';
  append_field(row, reading.location);
  row += ',';
  append_field(row, reading.ppm);
  row += ',';
  append_field(row, reading.status);
  row += "\r\n";
}

bool for_each_csv_row(const std::vector<std::string>& log_lines,
                      const std::function<bool(const std::string& row)>& write_row) {
  std::string row;
  return for_each_reading(log_lines, [&row, &write_row](const Reading& reading) {
    compose_csv_row(reading, row);
    return write_row(row);
  });
}

std::string csv_text(const std::vector<std::string>& log_lines) {
  std::string csv = kCsvHeaderLine;
  for_each_csv_row(log_lines, [&csv](const std::string& row) {
    csv += row;
    return true;
  });
  return csv;
}
