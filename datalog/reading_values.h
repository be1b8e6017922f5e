#pragma once
// A reading's date/time and PPM as values a program can compare: the date and
// time as ISO 8601 local time to the minute, the PPM as a number. The archive
// keeps these beside the texts so that it can select by time and sum values.
//
// The texts are read strictly: a date/time is exactly "MM/DD/YY HHMM" and a
// real calendar time (no 31 April, no hour 24), with the year 20YY as the
// instrument's clock has it; a PPM is digits, possibly with a decimal
// fraction, blanks around allowed. Anything else gives nothing rather than a
// guess: the reading's text is kept whole elsewhere.
//
// No time zone is applied: the instrument's clock has none.

#include <optional>
#include <string>

// "05/23/08 1432" as "2008-05-23T14:32"; nothing when it is not such a time.
std::optional<std::string> reading_datetime_iso(const std::string& date_time);

// "  12" as 12; nothing when it is not a plain non-negative decimal number.
std::optional<double> reading_ppm_value(const std::string& ppm);
