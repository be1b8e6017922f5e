#include "tests/fakes/fake_printer.h"

namespace {
FakePrinter the_printer;
int printer_identity;  // its address is the device context
bool page_open = false;

FakePrintDocument& current_document() { return the_printer.documents.back(); }
}  // namespace

FakePrinter& fake_printer() { return the_printer; }

void fake_printer_reset() {
  the_printer = FakePrinter();
  page_open = false;
}

// --- The printer seam -------------------------------------------------------

bool choose_printer(DialogHandle, PrinterHandle& printer) {
  ++the_printer.dialogs_shown;
  the_printer.calls.push_back("dialog");
  if (the_printer.dialog_cancelled) return false;
  the_printer.device_context_held = true;
  printer = &printer_identity;
  return true;
}

PrinterResolution printer_resolution(PrinterHandle) { return the_printer.resolution; }

bool printer_start_document(PrinterHandle, const char* document_name) {
  the_printer.calls.push_back("start_document");
  if (the_printer.fail_start_document) return false;
  the_printer.documents.push_back(FakePrintDocument{document_name, {}, false});
  return true;
}

void printer_use_top_left_alignment(PrinterHandle) { the_printer.calls.push_back("align 0"); }

bool printer_start_page(PrinterHandle) {
  the_printer.calls.push_back("start_page");
  const int page_number = static_cast<int>(current_document().pages.size()) + 1;
  if (page_number == the_printer.failing_start_page_number) return false;
  current_document().pages.emplace_back();
  page_open = true;
  if (the_printer.while_page_printed) the_printer.while_page_printed();
  return true;
}

void printer_draw_text(PrinterHandle, int x, int y, const std::string& text) {
  if (!page_open) {
    the_printer.calls.push_back("text outside page");
    return;
  }
  the_printer.calls.push_back("text");
  current_document().pages.back().push_back({x, y, text});
}

bool printer_end_page(PrinterHandle) {
  the_printer.calls.push_back("end_page");
  page_open = false;
  return static_cast<int>(current_document().pages.size()) != the_printer.failing_end_page_number;
}

void printer_end_document(PrinterHandle) {
  the_printer.calls.push_back("end_document");
  current_document().ended = true;
}

void printer_release(PrinterHandle) {
  the_printer.calls.push_back("release");
  the_printer.device_context_held = false;
}
