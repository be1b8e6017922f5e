// The CSV export read back: every log that the writer can write gives back
// its readings, and whatever it cannot have written is refused where it is.

#include "datalog/csv_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "datalog/csv.h"
#include "datalog/readings.h"

namespace {

// A reading as its row: the writer's own fields, for comparing readings.
std::string row_of(const Reading& reading) {
  std::string row;
  compose_csv_row(reading, row);
  return row;
}

struct ReadBack {
  CsvReadResult result;
  std::vector<Reading> readings;
};

ReadBack read_back(const std::string& csv) {
  std::istringstream input(csv);
  ReadBack back;
  back.result = read_csv_readings(input, [&back](const Reading& reading) {
    back.readings.push_back(reading);
    return true;
  });
  return back;
}

struct LogCase {
  const char* name;
  std::vector<std::string> lines;
};

TEST(CsvReader, EveryLogTheWriterWritesReadsBackIntoItsReadings) {
  const LogCase cases[] = {
      {"no readings", {" 719   VER. 3.1", " I...............000123"}},
      {"worked example",
       {" I...............000123", " U...............000000042", " O...............M1",
        "05/23/08 1432   A00017        12    OK", "05/23/08 1438   B00102      1050    ALARM"}},
      {"empty data lines give empty fields", {"", "", " O...............", ""}},
      {"commas and quotes",
       {" I...............1,2", " U...............\"4\"", " O...............say \"hi\", then",
        "05/23/08,1432   A,\"017       1\"\"5    OK, \"HIGH\""}},
      {"line breaks inside fields",
       {" I...............12\r\n3", " O...............\n", "05/23/08 1432   A0\n017       125    OK\r",
        "05/23/08 1432   A00017       125    \r\n\r\n"}},
      {"non-ASCII bytes", {" U...............M\xFCller", "05/23/08 1432   \xC4\xD6\xDC\xE9\xFF\x80       125    \x01\x7F"}},
      {"a lone quote and a lone comma", {" I...............\"", " U...............,", "\"", ","}},
      {"long status", {"05/23/08 1432   A00017       125    " + std::string(500, 'S')}},
  };
  for (const LogCase& c : cases) {
    std::vector<std::string> expected;
    for_each_csv_row(c.lines, [&expected](const std::string& row) {
      expected.push_back(row);
      return true;
    });
    // Also with LF line ends, as an editor may leave the file, where no
    // field holds a CR of its own.
    std::vector<std::string> files = {csv_text(c.lines)};
    const auto holds_cr = [](const std::string& line) { return line.find('\r') != std::string::npos; };
    if (std::none_of(c.lines.begin(), c.lines.end(), holds_cr)) {
      std::string lf_only = files[0];
      for (std::size_t at; (at = lf_only.find("\r\n")) != std::string::npos;) lf_only.erase(at, 1);
      files.push_back(lf_only);
    }
    for (const std::string& file : files) {
      const ReadBack back = read_back(file);
      ASSERT_EQ(back.result.status, CsvReadStatus::read) << c.name << ": " << back.result.problem;
      std::vector<std::string> rows;
      for (const Reading& reading : back.readings) rows.push_back(row_of(reading));
      EXPECT_EQ(rows, expected) << c.name;
    }
  }
}

struct RefusalCase {
  const char* name;
  std::string csv;
  CsvReadStatus status;
  std::size_t line_number;
  std::size_t readings_before;
};

TEST(CsvReader, RefusesWhatTheWriterCannotHaveWrittenAtTheLineItStarts) {
  const std::string header = kCsvHeaderLine;
  const std::string row = "1,2,\"M1\",05/23/08 1432,A00017,  12,OK\r\n";
  const std::string header_text = header.substr(0, header.size() - 2);
  const RefusalCase cases[] = {
      {"empty file", "", CsvReadStatus::not_an_export, 1, 0},
      {"header only, no line end", header_text, CsvReadStatus::not_an_export, 1, 0},
      {"byte-order mark", "\xEF\xBB\xBF" + header + row, CsvReadStatus::not_an_export, 1, 0},
      {"header in other words", "Instrument,User,Mode,Date,Location,PPM,Status\r\n" + row,
       CsvReadStatus::not_an_export, 1, 0},
      {"header with a blank more", header_text + " \r\n" + row, CsvReadStatus::not_an_export, 1, 0},
      {"six fields", header + row + "1,2,\"M1\",05/23/08 1432,A00017,  12\r\n", CsvReadStatus::bad_row, 3, 1},
      {"eight fields", header + row + row + "1,2,3,4,5,6,7,8\r\n", CsvReadStatus::bad_row, 4, 2},
      {"an empty line", header + row + "\r\n" + row, CsvReadStatus::bad_row, 3, 1},
      {"counted past a quoted line break", header + "1,\"a\r\nb\",3,4,5,6,7\r\n1,2\r\n", CsvReadStatus::bad_row, 4, 1},
      {"quote inside an unquoted field", header + "1,2\"x,3,4,5,6,7\r\n", CsvReadStatus::bad_row, 2, 0},
      {"text after a closing quote", header + "1,\"2\"x,3,4,5,6,7\r\n", CsvReadStatus::bad_row, 2, 0},
      {"bare CR outside quotes", header + "1,2,3,4,5,6,7\r" + row, CsvReadStatus::bad_row, 2, 0},
      {"file ends inside quotes", header + row + "1,2,\"M1", CsvReadStatus::bad_row, 3, 1},
      {"last row cut short", header + row + "1,2,\"M1\",05/23/08 1432,A00017,  12,O", CsvReadStatus::bad_row, 3, 1},
      {"last row ends at its closing quote", header + "1,2,3,4,5,6,\"7\"", CsvReadStatus::bad_row, 2, 0},
  };
  for (const RefusalCase& c : cases) {
    const ReadBack back = read_back(c.csv);
    EXPECT_EQ(back.result.status, c.status) << c.name;
    EXPECT_EQ(back.result.line_number, c.line_number) << c.name;
    EXPECT_EQ(back.readings.size(), c.readings_before) << c.name;
    EXPECT_FALSE(back.result.problem.empty()) << c.name;
  }
}

}  // namespace
