#pragma once
// The values behind a reading's texts: its calendar time and its PPM as a
// number, for a reading of a downloaded log or of a CSV file made from one.
//
// The instrument writes the time as "MM/DD/YY HHMM" (years 2000 to 2099, as
// its clock counts them). Only a text of exactly that form that names a
// real day and minute gives a time; anything else (a short line's cut
// field, month 13, February 30) is no calendar time rather than a guessed
// one. The PPM and alarm texts are decimal numbers padded with blanks.
//
// Not done: no time zone is applied, and no reading is dropped: a reading
// without a time or a number stays in the report, which says how many.

#include <optional>
#include <string>

#include "datalog/readings.h"
#include "report/report_input.h"

// "2008-05-23T14:32" for "05/23/08 1432"; none when the text is no calendar time.
std::optional<std::string> iso_of_log_time(const std::string& log_time);

// The number in a PPM or alarm text ("  12", "0050", "2.5"); none for an
// empty text, one with anything but blanks around the number, or one that
// is no finite number.
std::optional<double> ppm_value_of(const std::string& ppm_text);

// A reading of a downloaded log as the report takes it, with the alarm
// setting recorded with the download that brought it (none when unknown).
ReportReading report_reading_of(const Reading& reading, std::optional<double> alarm_ppm);
