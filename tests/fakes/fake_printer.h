#pragma once
// FakePrinter: the printer seam for native tests. It records every document
// with its pages and each text with its position, answers the print dialog
// from a flag, reports the resolution it is given, and fails the start of
// the document or the start or end of a chosen page on request.

#include <string>
#include <vector>

#include "app/printer.h"

struct FakePrintedText {
  int x;
  int y;
  std::string text;
};

struct FakePrintDocument {
  std::string name;
  std::vector<std::vector<FakePrintedText>> pages;
  bool ended = false;
};

struct FakePrinter {
  bool dialog_cancelled = false;
  PrinterResolution resolution = {600, 600};

  bool fail_start_document = false;
  int failing_start_page_number = 0;  // 1 for the document's first page; 0 for none
  int failing_end_page_number = 0;

  int dialogs_shown = 0;
  std::vector<FakePrintDocument> documents;
  // "dialog", "start_document", "align 0", "start_page", "text",
  // "end_page", "end_document", "release"; "text outside page" marks a
  // draw with no page started.
  std::vector<std::string> calls;
  bool device_context_held = false;

  // Called at every started page (a test looks at the dialog's state there).
  void (*while_page_printed)() = nullptr;
};

FakePrinter& fake_printer();
void fake_printer_reset();
