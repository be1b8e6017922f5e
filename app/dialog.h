#pragma once
// The main dialog as the operations see it: a narrow seam of free functions
// over its controls, reached by control id (app/control_ids.h).
//
// Most functions are implemented per platform: with Win32 calls by the
// program (dialog_win32.cpp), by FakeDialog in the tests
// (tests/fakes/fake_dialog.h). Three rules hold on every platform and live
// in portable code (dialog.cpp), over the raw calls of app/dialog_platform.h:
//   - while controls are locked (an operation runs), enable_control on a
//     locked control only records the state the operation wants it in;
//     unlocking gives each locked control its last recorded state;
//   - while message boxes are suppressed (the program is closing), a box is
//     not shown and answers with its safe button;
//   - the lock and the suppression are single instances: there is one main
//     dialog.
// Nothing here knows about Windows, so the operations built on it compile and
// run natively.

#include <cstdint>
#include <string>
#include <vector>

// The main dialog's window (its HWND in the program), opaque to operations.
using DialogHandle = void*;

// --- Texts and enabled states of controls ---------------------------------
std::string get_control_text(DialogHandle dialog, int control_id);
void set_control_text(DialogHandle dialog, int control_id, const std::string& text);
void enable_control(DialogHandle dialog, int control_id, bool enabled);
// The state the control shows now: a locked control is disabled.
bool is_control_enabled(DialogHandle dialog, int control_id);

// Enables or disables the main dialog as a whole (printing disables it).
void enable_dialog(DialogHandle dialog, bool enabled);

// Disables the controls at once and keeps them disabled until
// unlock_controls; see the rules above. Locks do not nest.
void lock_controls(DialogHandle dialog, const std::vector<int>& control_ids);
void unlock_controls(DialogHandle dialog);

// --- Choice lists (the port selector) --------------------------------------
// Replaces the items, in the order given, and selects the item at index
// selected; get_control_text then answers with that item.
void set_choice_list(DialogHandle dialog, int control_id, const std::vector<std::string>& items, int selected);

// --- Progress bar (IDC_PROGRESS) ------------------------------------------
void set_progress_range(DialogHandle dialog, int top);  // range 0 to top
void set_progress_step(DialogHandle dialog, int step);
void advance_progress_bar(DialogHandle dialog);  // one step of set_progress_step
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
// While suppressed, boxes are not shown; each answers OK, or No when it asks.
void suppress_message_boxes(bool suppressed);

// --- Clicks -----------------------------------------------------------------
// The system's double-click time: two clicks closer together than this are
// one double-click.
int double_click_time_ms();
// A monotonic clock in milliseconds, to measure clicks against it.
std::int64_t milliseconds_now();

// --- The end ----------------------------------------------------------------
// Ends the main dialog with this end code (the process exit code); the
// dialog goes once the message in hand has been handled.
void end_dialog(DialogHandle dialog, int end_code);
