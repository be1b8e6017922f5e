// The printer seam on Win32: PrintDlgA and GDI calls on the printer's
// device context.

#include <windows.h>

#include <commdlg.h>

#include "app/printer.h"

// The shipped 32-bit program's records have the sizes that the print calls
// of every Windows version accept; sizeof gives them there and the right
// sizes in a 64-bit build, where these values would make the calls fail.
static_assert(sizeof(void*) != 4 || sizeof(PRINTDLGA) == 66, "PRINTDLGA size");
static_assert(sizeof(void*) != 4 || sizeof(DOCINFOA) == 20, "DOCINFOA size");

namespace {

constexpr WORD kAllPages = 0xFFFF;

// Cleared before every use, so the dialog starts from the default printer
// and its defaults each time.
PRINTDLGA print_dialog_record;

HDC device_context(PrinterHandle printer) { return static_cast<HDC>(printer); }

}  // namespace

bool choose_printer(DialogHandle dialog, PrinterHandle& printer) {
  ZeroMemory(&print_dialog_record, sizeof print_dialog_record);
  print_dialog_record.lStructSize = sizeof print_dialog_record;
  print_dialog_record.hwndOwner = static_cast<HWND>(dialog);
  // Copies and collation are left to the printer: every item is drawn once.
  print_dialog_record.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
  print_dialog_record.nFromPage = kAllPages;
  print_dialog_record.nToPage = kAllPages;
  print_dialog_record.nMinPage = 1;
  print_dialog_record.nMaxPage = kAllPages;
  print_dialog_record.nCopies = 1;
  const BOOL chosen = PrintDlgA(&print_dialog_record);
  // Only the device context is used; the dialog's device-mode and
  // device-names blocks would otherwise leak with every print.
  if (print_dialog_record.hDevMode) GlobalFree(print_dialog_record.hDevMode);
  if (print_dialog_record.hDevNames) GlobalFree(print_dialog_record.hDevNames);
  print_dialog_record.hDevMode = nullptr;
  print_dialog_record.hDevNames = nullptr;
  if (!chosen || !print_dialog_record.hDC) return false;
  printer = print_dialog_record.hDC;
  return true;
}

PrinterResolution printer_resolution(PrinterHandle printer) {
  return {GetDeviceCaps(device_context(printer), LOGPIXELSX), GetDeviceCaps(device_context(printer), LOGPIXELSY)};
}

bool printer_start_document(PrinterHandle printer, const char* document_name) {
  DOCINFOA document;
  ZeroMemory(&document, sizeof document);
  document.cbSize = sizeof document;
  document.lpszDocName = document_name;
  return StartDocA(device_context(printer), &document) > 0;
}

void printer_use_top_left_alignment(PrinterHandle printer) { SetTextAlign(device_context(printer), 0); }

bool printer_start_page(PrinterHandle printer) { return StartPage(device_context(printer)) > 0; }

void printer_draw_text(PrinterHandle printer, int x, int y, const std::string& text) {
  TextOutA(device_context(printer), x, y, text.data(), static_cast<int>(text.size()));
}

bool printer_end_page(PrinterHandle printer) { return EndPage(device_context(printer)) > 0; }

void printer_end_document(PrinterHandle printer) { EndDoc(device_context(printer)); }

void printer_release(PrinterHandle printer) { DeleteDC(device_context(printer)); }
