#pragma once
// Reading and driving another process's windows from outside, for the
// end-to-end automation program.
//
// Everything that needs the target's thread goes through SendMessageTimeout:
// while the program blocks in a serial read it answers no messages, and a
// plain send would hang the automation with it. Button presses are posted
// (BM_CLICK), because a sent click returns only when the operation behind
// the button has ended. Window styles, owners, classes and rectangles come
// from the window manager directly and need no answer from the target.
//
// What it does not do: anything that needs the target's memory. Icons
// cannot be read across processes under Wine; screen_match.h compares them
// on screen instead.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

inline constexpr UINT kSendTimeoutMs = 3000;

// False when the target did not answer within kSendTimeoutMs.
bool send_with_timeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

bool read_window_text(HWND window, std::string* text);
bool read_list_box(HWND list, std::vector<std::string>* items);
bool read_combo_box(HWND combo, std::vector<std::string>* items);

// The visible top-level window with exactly this title, or null.
HWND find_top_level(const std::string& title);

// Visible top-level dialog-class ("#32770") windows of a process: message
// boxes and the common dialogs. The main dialog has a class of its own and
// is never among them.
std::vector<HWND> find_process_dialogs(DWORD process_id);

struct BoxButton {
  int id;
  std::string text;
};

struct BoxInfo {
  HWND owner;
  std::string caption;
  std::string text;   // the message text of a message box, else empty
  HWND icon_control;  // the icon of a message box, null when it shows none
  std::vector<BoxButton> buttons;
};

bool read_box(HWND box, BoxInfo* info);

void post_click(HWND button);

// The window that has the keyboard focus in the thread that owns window.
HWND focused_window_of(HWND window);

// Posts a key press and release, as the keyboard would deliver them.
void post_key(HWND target, UINT virtual_key);

// Types a path into a save or open dialog's file name field.
bool set_file_dialog_name(HWND file_dialog, const std::string& path);

// A child's rectangle in its dialog's client coordinates.
RECT child_rect_in(HWND dialog, HWND child);
