#pragma once
// The time that `clock set --time` takes: "YYYY-MM-DD HH:MM" (a "T" for the
// blank is accepted too, as ISO 8601 writes it).
//
// Only the years 2000 to 2099 are taken: the instrument keeps the year in
// two digits and reads them as 20YY. The date must exist (no 31 April, 29
// February only in a leap year). No seconds: the instrument has none.

#include <ctime>
#include <optional>
#include <string>

// The local time that the text names, with tm_sec 0; empty with the reason
// in `error` when it is not such a time.
std::optional<std::tm> parse_time_argument(const std::string& text, std::string& error);
