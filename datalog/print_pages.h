#pragma once
// The printed form of the log list: its items, separator items included, as
// plain lines of text, 58 to a page.
//
// Every line stands at the left margin, the first line of a page 200 units
// from the top and each next one 100 units lower while above 6000. The units
// are 1/600 inch, converted with the device's resolution, so a 600-dpi
// printer gets those numbers as they are and any other printer gets the same
// page. The long column header is printed in the short form that the
// instrument itself prints. No heading, page number or date is added.

#include <string>
#include <vector>

inline constexpr int kPrintUnitsPerInch = 600;
inline constexpr int kPrintLeftUnits = 10;
inline constexpr int kPrintFirstLineUnits = 200;
inline constexpr int kPrintLineSpacingUnits = 100;
inline constexpr int kPrintBottomUnits = 6000;  // a line is placed only above it
inline constexpr int kPrintLinesPerPage =
    (kPrintBottomUnits - kPrintFirstLineUnits + kPrintLineSpacingUnits - 1) / kPrintLineSpacingUnits;

struct PrinterResolution {
  int dots_per_inch_x;
  int dots_per_inch_y;
};

struct PrintedLine {
  int x;  // device units
  int y;
  std::string text;
};
using PrintedPage = std::vector<PrintedLine>;

// The text printed for a list item: the short column header for the long
// one, every other item unchanged.
std::string printed_text(const std::string& item);

// The pages for the list's items on a device of the given resolution. An
// empty list gives no page.
std::vector<PrintedPage> lay_out_pages(const std::vector<std::string>& items, PrinterResolution resolution);
