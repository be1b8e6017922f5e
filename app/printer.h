#pragma once
// The printer seam: the print dialog and the few device calls that Print Log
// needs.
//
// The program implements it with Win32 calls (printer_win32.cpp): PrintDlgA
// with a record cleared and filled before every use, so the dialog starts
// from the default printer each time, and GDI calls on the printer device
// context that the dialog returns. The tests link FakePrinter
// (tests/fakes/fake_printer.h), which records every document, page and text
// with its position.
//
// Nothing here lays out a page: positions come from datalog/print_pages.h.

#include <string>

#include "app/dialog.h"
#include "datalog/print_pages.h"

// A printer device context (an HDC in the program), opaque to operations.
using PrinterHandle = void*;

// Shows the print dialog owned by the main dialog. True with the chosen
// printer's device context on OK; false on cancel or failure.
bool choose_printer(DialogHandle dialog, PrinterHandle& printer);

PrinterResolution printer_resolution(PrinterHandle printer);

// Starts the print job under the document name; false when it did not start.
bool printer_start_document(PrinterHandle printer, const char* document_name);
// Text is placed by its top left corner, the current position not updated.
void printer_use_top_left_alignment(PrinterHandle printer);
bool printer_start_page(PrinterHandle printer);
void printer_draw_text(PrinterHandle printer, int x, int y, const std::string& text);
bool printer_end_page(PrinterHandle printer);
void printer_end_document(PrinterHandle printer);
// Releases the device context, ending nothing: after a failure the
// unfinished job is dropped with it.
void printer_release(PrinterHandle printer);
