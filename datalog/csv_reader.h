#pragma once
// Reads a file that the CSV export wrote (datalog/csv.h) back into its
// readings, streaming: one reading at a time is handed on, so a file of a
// million rows is never held whole.
//
// The first line must be exactly the export's header line, or the file is
// refused before any reading is handed on. Then every row is RFC 4180 as the
// export writes it: seven fields, a field in double quotes holds commas, line
// breaks and doubled quotes; rows end with CR LF, or LF alone (a file whose
// line ends an editor changed). Whatever the writer wrote reads back into the
// readings it was written from, byte for byte.
//
// It is strict where the writer is: a quote inside an unquoted field, a bare
// CR outside quotes, a row of other than seven fields, or a last row without
// its line end (a file cut short) refuses the file at that row, named by the
// line it starts on. It does not trim, convert or guess at anything.

#include <cstddef>
#include <functional>
#include <istream>
#include <string>

#include "datalog/readings.h"

enum class CsvReadStatus {
  read,           // every row read
  stopped,        // on_reading refused a reading
  not_an_export,  // the first line is not the export's header line
  bad_row,        // a row that the export cannot have written
};

struct CsvReadResult {
  CsvReadStatus status = CsvReadStatus::read;
  std::size_t readings = 0;     // handed on
  std::size_t line_number = 0;  // where the refused row starts (from 1); the header is line 1
  std::string problem;          // what is wrong there, for the operator
};

CsvReadResult read_csv_readings(std::istream& csv, const std::function<bool(const Reading& reading)>& on_reading);
