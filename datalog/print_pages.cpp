#include "datalog/print_pages.h"

#include "datalog/log_list.h"

static_assert(kPrintLinesPerPage == 58, "the instrument's printed log has 58 lines a page");

namespace {

// Rounded to the nearest device unit; exact on a 600-dpi device.
int device_units(int units, int dots_per_inch) {
  const long long scaled = static_cast<long long>(units) * dots_per_inch;
  return static_cast<int>((scaled + kPrintUnitsPerInch / 2) / kPrintUnitsPerInch);
}

}  // namespace

std::string printed_text(const std::string& item) { return item == kLongColumnHeader ? kShortColumnHeader : item; }

std::vector<PrintedPage> lay_out_pages(const std::vector<std::string>& items, PrinterResolution resolution) {
  const int x = device_units(kPrintLeftUnits, resolution.dots_per_inch_x);
  std::vector<PrintedPage> pages;
  for (std::size_t index = 0; index < items.size(); ++index) {
    const int line_on_page = static_cast<int>(index % kPrintLinesPerPage);
    if (line_on_page == 0) pages.emplace_back();
    const int y_units = kPrintFirstLineUnits + line_on_page * kPrintLineSpacingUnits;
    pages.back().push_back({x, device_units(y_units, resolution.dots_per_inch_y), printed_text(items[index])});
  }
  return pages;
}
