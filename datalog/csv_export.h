#pragma once
// Export Log: writes the downloaded log from the log line store to a
// comma-separated file chosen in the save dialog, one row per reading.
//
// The store's lines fall into classes by their first characters: instrument
// (" I"), user (" U") and mode (" O") lines set the export header values from
// their character 17 on; other lines that begin with a blank are skipped;
// every other line, an empty one included, is a data line and yields a row:
//   {instrument},{user},"{mode}",{date/time},{location},{PPM},{status} CR LF
// with the date/time, location and PPM cut from fixed columns of the data
// line (those of the instrument's short column header) and the status from
// character 36 to the end.
//
// The header values start empty in every export, so no row carries the
// instrument number, user ID or mode of an earlier log. Values and lines of
// any length are kept whole. A field holding a comma or a double quote is
// quoted with its inner quotes doubled, so that every row reads back as seven
// fields; the mode is always quoted. Every other byte, a CR or LF inside a
// field included, goes out as the instrument sent it. Each row is written
// with a write of its own as soon as it is composed; a failed write stops the
// export and is reported.

#include <cstddef>
#include <functional>
#include <string>

#include "app/dialog.h"

inline constexpr const char* kExportHeaderLine = "Instrument #,User ID #,Mode,Date/Time,Location,PPM,Status\r\n";
inline constexpr const char* kExportBusyText = "Exporting File...";

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

struct ExportHeaderValues {
  std::string instrument_number;
  std::string user_id;
  std::string mode;
};

// The row of a data line under the current header values, CR LF included.
// The row is composed into `row`, whose storage is reused from row to row.
void compose_csv_row(const ExportHeaderValues& values, const std::string& data_line, std::string& row);

// Walks the log line store from empty header values: header lines update
// them, and each data line's row goes to write_row in store order. Stops at
// the first row that write_row refuses (returns false); returns false then.
bool export_store_rows(const std::function<bool(const std::string& row)>& write_row);

// Export Log (IDC_EXPORT_LOG).
void export_log(DialogHandle dialog);
