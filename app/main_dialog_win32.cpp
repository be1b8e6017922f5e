// The main dialog procedure: set-up at WM_INITDIALOG, and every command and
// the close box handed on to the portable command handling
// (app/operation.h).
//
// While an operation waits for the line, the serial port calls the wait hook
// below, which does for the dialog what its modal loop would do. Without it
// the window would neither repaint nor answer during a read of up to 40 s,
// and Windows marks a window that has not looked at its messages for 5 s as
// "Not Responding" and offers to kill the program.

#include "app/main_dialog.h"

#include <windows.h>

#include "app/control_ids.h"
#include "app/dialog_connection.h"
#include "app/operation.h"
#include "app/port_list.h"

namespace {

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

// The one main dialog, for the wait hook.
HWND g_main_dialog = nullptr;

// The modal loop's work, done while a serial call waits. IsDialogMessage
// keeps the dialog's keys working (Escape becomes the cancel command, Tab
// moves the focus). A WM_QUIT belongs to the modal loop, which ends on it:
// it is put back, and the exchange cancelled so that the loop gets it soon.
void dispatch_pending_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      dialog_cancel().request();
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!IsDialogMessageA(g_main_dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void initialise(HWND dialog) {
  for (const EditLimit& limit : kEditLimits) {
    SendDlgItemMessageA(dialog, limit.control_id, EM_LIMITTEXT, static_cast<WPARAM>(limit.max_chars), 0);
  }
  g_main_dialog = dialog;
  set_dialog_wait_hook(dispatch_pending_messages);
  main_dialog_opened(dialog);
}

// A button that an operation locked has lost the keyboard focus for good,
// since a disabled window cannot keep it; it gets it back when the
// operation leaves it enabled, so the keyboard goes on working.
void give_focus_back(HWND dialog, HWND focused_before) {
  if (GetFocus() || !focused_before || !IsWindow(focused_before) || !IsWindowEnabled(focused_before)) return;
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focused_before), TRUE);
}

// Commands of the port selector are its notifications; only the drop-down
// matters, as the moment to look for ports plugged in since.
BOOL command(HWND dialog, WPARAM wparam) {
  const int control_id = LOWORD(wparam);
  if (control_id == IDC_PORT) {
    if (HIWORD(wparam) == CBN_DROPDOWN) port_list_dropped_down(dialog);
    return FALSE;
  }
  HWND focused_before = GetFocus();
  const bool handled = handle_dialog_command(dialog, control_id);
  give_focus_back(dialog, focused_before);
  return handled ? TRUE : FALSE;
}

INT_PTR CALLBACK main_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(dialog);
      return TRUE;  // the system puts the focus on the first tab stop, Connect
    case WM_COMMAND:
      return command(dialog, wparam);
    case WM_CLOSE:
      handle_close_box(dialog);
      return TRUE;
    case WM_SIZE:
      return TRUE;
    case WM_DESTROY:
      set_dialog_wait_hook(nullptr);
      g_main_dialog = nullptr;
      return FALSE;
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
