#pragma once
// The CSV form of a downloaded log: one header line, then one row per
// reading (datalog/readings.h), each ended by CR LF:
//   {instrument},{user},"{mode}",{date/time},{location},{PPM},{status}
// The bytes are the log's own; no byte-order mark.
//
// A field holding a comma, a double quote or a line break (CR or LF) is
// quoted with its inner quotes doubled, so that every row reads back
// (RFC 4180) into the seven fields it was made from; the mode is always
// quoted. Every other field goes out as the instrument sent it. Export Log
// and `719k log download` write exactly these bytes.

#include <functional>
#include <string>
#include <vector>

#include "datalog/readings.h"

inline constexpr const char* kCsvHeaderLine = "Instrument #,User ID #,Mode,Date/Time,Location,PPM,Status\r\n";

// The row of a reading, CR LF included. The row is composed into `row`, whose
// storage is reused from row to row.
void compose_csv_row(const Reading& reading, std::string& row);

// The whole export in one text, header line first: for a log that fits in
// memory twice over.
std::string csv_text(const std::vector<std::string>& log_lines);

// Hands each reading's row to write_row in log order. Stops at the first row
// that write_row refuses (returns false); false then. The header line is the
// caller's, so that it can be written and checked first.
bool for_each_csv_row(const std::vector<std::string>& log_lines,
                      const std::function<bool(const std::string& row)>& write_row);
