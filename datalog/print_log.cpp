#include "datalog/print_log.h"

#include "app/busy.h"
#include "datalog/log_download.h"
#include "link/log_transfer.h"

static_assert(kPrintLinesPerPage == 58, "the instrument's printed log has 58 lines a page");

namespace {

constexpr int kPrintProgressStep = 1;

constexpr MessageBoxSpec kPrintErrorBox = {"The data log could not be printed.", "Print Error", BoxButtons::ok,
                                           BoxIcon::error};

// Rounded to the nearest device unit; exact on a 600-dpi device.
int device_units(int units, int dots_per_inch) {
  const long long scaled = static_cast<long long>(units) * dots_per_inch;
  return static_cast<int>((scaled + kPrintUnitsPerInch / 2) / kPrintUnitsPerInch);
}

std::vector<std::string> log_list_contents(DialogHandle dialog) {
  const int count = log_list_count(dialog);
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int index = 0; index < count; ++index) items.push_back(log_list_item(dialog, index));
  return items;
}

// Draws every page; false at the first page that could not be started or ended.
bool print_pages(DialogHandle dialog, PrinterHandle printer, const std::vector<PrintedPage>& pages) {
  for (const PrintedPage& page : pages) {
    if (!printer_start_page(printer)) return false;
    for (const PrintedLine& line : page) {
      printer_draw_text(printer, line.x, line.y, line.text);
      progress_step(dialog);
    }
    if (!printer_end_page(printer)) return false;
  }
  return true;
}

}  // namespace

const std::string& printed_text(const std::string& item) {
  static const std::string long_header = kLongColumnHeader;
  static const std::string short_header = kShortColumnHeader;
  return item == long_header ? short_header : item;
}

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

void print_log(DialogHandle dialog) {
  PrinterHandle printer = nullptr;
  if (!choose_printer(dialog, printer)) return;

  enable_dialog(dialog, false);
  busy_start(dialog, kPrintBusyText, kLogProgressTop, kPrintProgressStep);
  bool printed = printer_start_document(printer, kPrintDocumentName);
  if (printed) {
    printer_use_top_left_alignment(printer);
    printed = print_pages(dialog, printer, lay_out_pages(log_list_contents(dialog), printer_resolution(printer)));
    // An unfinished job is not ended: releasing the device context drops it.
    if (printed) printer_end_document(printer);
  }
  printer_release(printer);
  enable_dialog(dialog, true);
  busy_finish(dialog);
  if (!printed) show_message_box(dialog, kPrintErrorBox);
}
