#pragma once
// Text as the report page writes it: the instrument's bytes as UTF-8 with
// HTML's special characters escaped, and numbers, counts and times in the
// page's few formats.
//
// The instrument's bytes are Latin-1. Control characters cannot stand in
// an HTML page, so each is shown as a visible stand-in instead of being
// dropped: C0 controls as their Unicode control pictures ("␀", "␛"), DEL as
// "␡", and the C1 range (0x80 to 0x9F), which has no pictures, as the
// replacement character, as is a Unicode noncharacter. Tab, line feed and
// carriage return pass as they are.
//
// The caller's own texts (the title, the source's file names, an event's
// detail) are UTF-8 when they are valid UTF-8, and taken as Latin-1
// otherwise, so that no text can make the page invalid.

#include <cstddef>
#include <string>
#include <string_view>

void append_html_text(std::string& page, std::string_view latin1);
std::string html_text(std::string_view latin1);

// A text of the caller's: UTF-8 when valid, else Latin-1.
void append_caller_text(std::string& page, std::string_view text);
std::string caller_text(std::string_view text);

// A PPM value with at most two decimals and no trailing zeros: "12", "2.5".
std::string format_ppm(double ppm);

// A mean with one decimal: "12.0".
std::string format_mean(double ppm);

// A count with thousands separators: "1,000,000".
std::string format_count(std::size_t count);

// An ISO time to the minute as the page shows it ("2008-05-23 14:32"); the
// text itself, escaped, when it is no such time.
std::string display_time(const std::string& iso);

// A drawing coordinate with one decimal at most: "12", "12.5", "-3.2".
void append_coordinate(std::string& page, double value);

// The text without the blanks around it.
std::string_view trimmed(std::string_view text);
