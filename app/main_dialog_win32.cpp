// The main dialog procedure: set-up at WM_INITDIALOG and one named handler
// per button.

#include "app/main_dialog.h"

#include <windows.h>

#include "app/about.h"
#include "app/connection.h"
#include "app/control_ids.h"
#include "config/clock.h"
#include "config/settings.h"
#include "datalog/csv_export.h"
#include "datalog/log_download.h"
#include "datalog/print_log.h"
#include "link/serial_port.h"

namespace {

enum class DialogEndCode : INT_PTR { closed = 0, quit = 1 };

struct EditLimit {
  int control_id;
  int max_chars;
};

// What the operator can type; values put there by Get Config are not bound
// by these limits.
constexpr EditLimit kEditLimits[] = {
    {IDC_INSTRUMENT_NO, 6}, {IDC_USER_ID, 9}, {IDC_LOCATION, 6},       {IDC_ACCESS_LEVEL, 1},
    {IDC_ALARM, 4},         {IDC_SPAN, 4},    {IDC_RESPONSE_FACTOR, 4},
};

constexpr const char* kPortNames[] = {"COM1", "COM2", "COM3", "COM4"};

void end_main_dialog(HWND dialog, DialogEndCode code) {
  serial_port_close();
  EndDialog(dialog, static_cast<INT_PTR>(code));
}

void quit(DialogHandle dialog) { end_main_dialog(static_cast<HWND>(dialog), DialogEndCode::quit); }

// The button writes the settings and then reads them back, so that the
// edits show what the instrument now holds.
void save_config_and_reread(DialogHandle dialog) {
  save_config(dialog);
  get_config(dialog);
}

struct ButtonRoute {
  int control_id;
  void (*handler)(DialogHandle dialog);
};

constexpr ButtonRoute kButtonRoutes[] = {
    {IDC_CONNECT, connect_instrument},
    {IDC_DISCONNECT, disconnect_instrument},
    {IDC_SET_TIME, set_time},
    {IDC_GET_CONFIG, get_config},
    {IDC_SAVE_CONFIG, save_config_and_reread},
    {IDC_DOWNLOAD_LOG, download_log},
    {IDC_ERASE_DATA, erase_instrument_data},
    {IDC_EXPORT_LOG, export_log},
    {IDC_PRINT_LOG, print_log},
    {IDC_ABOUT, show_about},
    {IDC_QUIT, quit},
};

void initialise(HWND dialog) {
  for (const EditLimit& limit : kEditLimits) {
    SendDlgItemMessageA(dialog, limit.control_id, EM_LIMITTEXT, static_cast<WPARAM>(limit.max_chars), 0);
  }
  for (const char* port_name : kPortNames) {
    SendDlgItemMessageA(dialog, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port_name));
  }
  SendDlgItemMessageA(dialog, IDC_PORT, CB_SETCURSEL, 0, 0);
}

// Enter and Escape arrive as ids 1 and 2 and, like notifications from the
// edits, the list and the port selector, match no route: FALSE leaves them
// to the system, so Escape does not close the dialog.
BOOL route_command(HWND dialog, int control_id) {
  for (const ButtonRoute& route : kButtonRoutes) {
    if (route.control_id == control_id) {
      route.handler(dialog);
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK main_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(dialog);
      return TRUE;  // the system puts the focus on the first tab stop, Connect
    case WM_COMMAND:
      return route_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
      end_main_dialog(dialog, DialogEndCode::closed);
      return TRUE;
    case WM_SIZE:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int run_main_dialog(void* program_instance) {
  INT_PTR end_code = DialogBoxParamA(static_cast<HINSTANCE>(program_instance), MAKEINTRESOURCEA(IDD_MAIN_DIALOG),
                                     nullptr, main_dialog_procedure, 0);
  return static_cast<int>(end_code);
}
