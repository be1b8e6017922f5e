#include "app/print_log.h"

#include <string>
#include <vector>

#include "app/busy.h"
#include "app/data_log_panel.h"
#include "app/printer.h"
#include "datalog/print_pages.h"

namespace {

constexpr int kPrintProgressStep = 1;

constexpr MessageBoxSpec kPrintErrorBox = {"The data log could not be printed.", "Print Error", BoxButtons::ok,
                                           BoxIcon::error};

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
