// The dialog seam with Win32 calls on the main dialog's controls, beneath
// the portable rules of dialog.cpp.
//
// Every function reaches its control by id under the main dialog. Texts are
// read whole (the buffer is sized from the control's text length), the
// status bar's single part is set with the ordinary window-text call, and a
// batch of list items is added with the list's redrawing suspended once.
// Every message box is owned by the main dialog, so no second operation can
// be started from the dialog while a box of the first one waits.

#include "app/dialog.h"
#include "app/dialog_platform.h"

#include <windows.h>
#include <commctrl.h>

#include "app/control_ids.h"

namespace {

HWND dialog_window(DialogHandle dialog) { return static_cast<HWND>(dialog); }

HWND control_window(DialogHandle dialog, int control_id) { return GetDlgItem(dialog_window(dialog), control_id); }

LRESULT send_to_control(DialogHandle dialog, int control_id, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendDlgItemMessageA(dialog_window(dialog), control_id, message, wparam, lparam);
}

UINT box_style(const MessageBoxSpec& box) {
  UINT style = MB_OK;
  switch (box.buttons) {
    case BoxButtons::ok: style = MB_OK; break;
    case BoxButtons::yes_no: style = MB_YESNO; break;
    case BoxButtons::yes_no_default_no: style = MB_YESNO | MB_DEFBUTTON2; break;
  }
  switch (box.icon) {
    case BoxIcon::none: break;
    case BoxIcon::warning: style |= MB_ICONWARNING; break;
    case BoxIcon::error: style |= MB_ICONERROR; break;
  }
  return style;
}

}  // namespace

std::string get_control_text(DialogHandle dialog, int control_id) {
  HWND control = control_window(dialog, control_id);
  int length = GetWindowTextLengthA(control);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  UINT copied = GetDlgItemTextA(dialog_window(dialog), control_id, &text[0], length + 1);
  text.resize(copied);
  return text;
}

void set_control_text(DialogHandle dialog, int control_id, const std::string& text) {
  SetDlgItemTextA(dialog_window(dialog), control_id, text.c_str());
}

void platform_enable_control(DialogHandle dialog, int control_id, bool enabled) {
  EnableWindow(control_window(dialog, control_id), enabled ? TRUE : FALSE);
}

bool is_control_enabled(DialogHandle dialog, int control_id) {
  return IsWindowEnabled(control_window(dialog, control_id)) != FALSE;
}

void enable_dialog(DialogHandle dialog, bool enabled) { EnableWindow(dialog_window(dialog), enabled ? TRUE : FALSE); }

void set_choice_list(DialogHandle dialog, int control_id, const std::vector<std::string>& items, int selected) {
  send_to_control(dialog, control_id, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    send_to_control(dialog, control_id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  send_to_control(dialog, control_id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void set_progress_range(DialogHandle dialog, int top) {
  send_to_control(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, top));
}

void set_progress_step(DialogHandle dialog, int step) {
  send_to_control(dialog, IDC_PROGRESS, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void advance_progress_bar(DialogHandle dialog) { send_to_control(dialog, IDC_PROGRESS, PBM_STEPIT, 0, 0); }

void set_progress_position(DialogHandle dialog, int position) {
  send_to_control(dialog, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void clear_log_list(DialogHandle dialog) { send_to_control(dialog, IDC_LOG_LIST, LB_RESETCONTENT, 0, 0); }

void append_log_list_items(DialogHandle dialog, const std::vector<std::string>& items) {
  HWND list = control_window(dialog, IDC_LOG_LIST);
  // Without the suspension the list repaints after every line it gets; a
  // log of a thousand lines then flickers through its whole length.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (const std::string& item : items) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

int log_list_count(DialogHandle dialog) {
  return static_cast<int>(send_to_control(dialog, IDC_LOG_LIST, LB_GETCOUNT, 0, 0));
}

std::string log_list_item(DialogHandle dialog, int index) {
  LRESULT length = send_to_control(dialog, IDC_LOG_LIST, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = send_to_control(dialog, IDC_LOG_LIST, LB_GETTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

BoxAnswer platform_show_message_box(DialogHandle dialog, const MessageBoxSpec& box) {
  int answer = MessageBoxA(dialog_window(dialog), box.text, box.caption, box_style(box));
  switch (answer) {
    case IDYES: return BoxAnswer::yes;
    case IDNO: return BoxAnswer::no;
    default: return BoxAnswer::ok;
  }
}

int double_click_time_ms() { return static_cast<int>(GetDoubleClickTime()); }

std::int64_t milliseconds_now() { return static_cast<std::int64_t>(GetTickCount64()); }

void end_dialog(DialogHandle dialog, int end_code) { EndDialog(dialog_window(dialog), end_code); }
