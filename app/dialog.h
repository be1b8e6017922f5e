#pragma once
// The main dialog as the operations see it: a narrow seam of free functions
// over its controls, reached by control id (app/control_ids.h).
//
// The program implements it with Win32 calls (dialog_win32.cpp); the tests
// link FakeDialog (tests/fakes/fake_dialog.h), which records every change.
// Nothing here knows about Windows, so the operations built on it compile and
// run natively.

#include <string>
#include <vector>

// The main dialog's window (its HWND in the program), opaque to operations.
using DialogHandle = void*;

// --- Texts and enabled states of controls ---------------------------------
std::string get_control_text(DialogHandle dialog, int control_id);
void set_control_text(DialogHandle dialog, int control_id, const std::string& text);
void enable_control(DialogHandle dialog, int control_id, bool enabled);
bool is_control_enabled(DialogHandle dialog, int control_id);

// Enables or disables the main dialog as a whole (printing disables it).
void enable_dialog(DialogHandle dialog, bool enabled);

// --- Progress bar (IDC_PROGRESS) ------------------------------------------
void set_progress_range(DialogHandle dialog, int top);  // range 0 to top
void set_progress_step(DialogHandle dialog, int step);
void step_progress(DialogHandle dialog);
void set_progress_position(DialogHandle dialog, int position);

// --- Log list (IDC_LOG_LIST) ----------------------------------------------
void clear_log_list(DialogHandle dialog);
// Appends the items in order, with the list's redrawing suspended once for
// all of them.
void append_log_list_items(DialogHandle dialog, const std::vector<std::string>& items);
int log_list_count(DialogHandle dialog);
std::string log_list_item(DialogHandle dialog, int index);

// --- Message boxes ----------------------------------------------------------
enum class BoxIcon { none, warning, error };
enum class BoxButtons { ok, yes_no, yes_no_default_no };
enum class BoxAnswer { ok, yes, no };

struct MessageBoxSpec {
  const char* text;
  const char* caption;
  BoxButtons buttons;
  BoxIcon icon;
};

// Shows a box owned by the main dialog and waits for the operator's answer.
BoxAnswer show_message_box(DialogHandle dialog, const MessageBoxSpec& box);
