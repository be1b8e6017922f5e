// The readings of a log and their CSV rows: line classes, cut columns,
// header values carried down, quoting.

#include "datalog/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "datalog/log_list.h"
#include "datalog/readings.h"

namespace {

// --- Line classes -------------------------------------------------------------

TEST(ClassifyLogLine, FirstTwoCharactersDecideCaseSensitively) {
  const std::vector<std::pair<std::string, LogLineClass>> cases = {
      {" I...............000123", LogLineClass::instrument},
      {" U...............42", LogLineClass::user},
      {" O...............M1", LogLineClass::mode},
      {" I", LogLineClass::instrument},
      {" i...............000123", LogLineClass::skipped},
      {" u", LogLineClass::skipped},
      {" o", LogLineClass::skipped},
      {"  I..............000123", LogLineClass::skipped},
      {" ", LogLineClass::skipped},
      {kBannerLine, LogLineClass::skipped},
      {kLongColumnHeader, LogLineClass::skipped},
      {"05/23/08 1432   A00017       125    OK", LogLineClass::data},
      {"", LogLineClass::data},
      {"I...............000123", LogLineClass::data},
      {"xyz", LogLineClass::data},
      {"\t05/23/08", LogLineClass::data},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(classify_log_line(line), expected) << '"' << line << '"';
}

// --- Rows ---------------------------------------------------------------------

struct RowCase {
  const char* name;
  LogHeaderValues values;
  std::string data_line;
  std::string row;
};

TEST(ComposeCsvRow, CutsColumnsKeepsLongTextsWholeAndQuotesOnlyWhatWouldBreakTheRow) {
  const std::string long_status(60, 'S');
  const std::string long_value(80, '7');
  const RowCase cases[] = {
      {"worked example", {"000123", "000000042", "M1"}, "05/23/08 1432   A00017       125    OK",
       "000123,000000042,\"M1\",05/23/08 1432,A00017, 125,OK\r\n"},
      {"empty header values", {}, "05/23/08 1432   A00017       125    OK",
       ",,\"\",05/23/08 1432,A00017, 125,OK\r\n"},
      {"empty line gives four empty fields", {"1", "2", "3"}, "", "1,2,\"3\",,,,\r\n"},
      {"short line cuts the date", {}, "05/23", ",,\"\",05/23,,,\r\n"},
      {"line ends inside the location", {}, "05/23/08 1432   A00", ",,\"\",05/23/08 1432,A00,,\r\n"},
      {"line ends inside the PPM", {}, "05/23/08 1432   A00017       12", ",,\"\",05/23/08 1432,A00017, 12,\r\n"},
      {"36 characters give an empty status", {}, "05/23/08 1432   A00017       125    ",
       ",,\"\",05/23/08 1432,A00017, 125,\r\n"},
      {"status keeps trailing blanks", {}, "05/23/08 1432   A00017       125    OK  ",
       ",,\"\",05/23/08 1432,A00017, 125,OK  \r\n"},
      {"columns between the fields are dropped", {}, "0123456789abcXYZlocatnQRSTUVppppWXYZstatus",
       ",,\"\",0123456789abc,locatn,pppp,status\r\n"},
      {"long status kept whole", {}, "05/23/08 1432   A00017       125    " + long_status,
       ",,\"\",05/23/08 1432,A00017, 125," + long_status + "\r\n"},
      {"long header values kept whole", {long_value, long_value, long_value}, "x",
       long_value + "," + long_value + ",\"" + long_value + "\",x,,,\r\n"},
      {"comma in a value is quoted", {"12,3", "4", "M1"}, "x", "\"12,3\",4,\"M1\",x,,,\r\n"},
      {"quote in a value is doubled in quotes", {"1\"2", "4", "M1"}, "x", "\"1\"\"2\",4,\"M1\",x,,,\r\n"},
      {"mode doubles its inner quotes", {"1", "2", "say \"hi\", then"}, "x",
       "1,2,\"say \"\"hi\"\", then\",x,,,\r\n"},
      {"comma in a cut field is quoted", {}, "05/23/08,1432   A,0017       1\"5    OK, HIGH",
       ",,\"\",\"05/23/08,1432\",\"A,0017\",\" 1\"\"5\",\"OK, HIGH\"\r\n"},
      {"CR in a value is quoted", {"1\r2", "", ""}, "x", "\"1\r2\",,\"\",x,,,\r\n"},
      {"LF in a cut field is quoted", {}, "05/23/08 1432   A0\n017       125    OK\r",
       ",,\"\",05/23/08 1432,\"A0\n017\", 125,\"OK\r\"\r\n"},
      {"blanks are not quoted", {" 1 ", "", ""}, "x", " 1 ,,\"\",x,,,\r\n"},
  };
  std::string row = "left from an earlier row";
  for (const RowCase& c : cases) {
    compose_csv_row(reading_of(c.values, c.data_line), row);
    EXPECT_EQ(row, c.row) << c.name;
  }
}

// The walk over a log: each row carries the header values last given above
// it, and a log never carries those of another.
TEST(CsvText, EachRowCarriesTheLastHeaderLinesAboveItAndEachLogStartsWithoutAny) {
  const std::string header = kCsvHeaderLine;
  const std::vector<std::string> log = {" I...............A1", " U...............U1", " O...............M1", "r1",
                                        " I...............A2", "r2", " U...............", " O...............M3", "r3",
                                        " I..short", "r4"};
  EXPECT_EQ(csv_text(log), header +
                               "A1,U1,\"M1\",r1,,,\r\n"
                               "A2,U1,\"M1\",r2,,,\r\n"
                               "A2,,\"M3\",r3,,,\r\n"
                               ",,\"M3\",r4,,,\r\n");
  EXPECT_EQ(csv_text({"05/24/08 0900   B00102        61    HIGH"}),
            header + ",,\"\",05/24/08 0900,B00102,  61,HIGH\r\n");
}

}  // namespace
