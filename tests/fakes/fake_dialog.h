#pragma once
// FakeDialog: the platform side of the dialog seam for native tests
// (app/dialog.h and app/dialog_platform.h). It keeps the controls' texts and
// enabled states as the screen would show them, the choice lists, the
// progress bar, the log list, every message box shown and the end codes, and
// answers boxes from a script. The lock of controls and the suppression of
// boxes are the product's own portable code above it.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/dialog.h"

struct FakeMessageBox {
  DialogHandle owner;
  std::string text;
  std::string caption;
  BoxButtons buttons;
  BoxIcon icon;
};

struct FakeDialog {
  std::map<int, std::string> texts;
  std::map<int, bool> enabled;  // controls never touched are enabled
  bool dialog_enabled = true;

  // Every status bar text in the order it was set.
  std::vector<std::string> status_history;

  // Progress bar: range 0 to top, position and the number of PBM_STEPIT.
  int progress_top = 100;
  int progress_step_size = 10;
  int progress_position = 0;
  int progress_steps = 0;
  // Every progress call in order: "range 30", "step 10", "stepit", "pos 1000".
  std::vector<std::string> progress_calls;

  // Choice lists (the port selector) by control id; texts holds the selection.
  std::map<int, std::vector<std::string>> choice_lists;

  std::vector<std::string> list_items;
  int list_append_batches = 0;  // each batch is one suspension of redrawing

  std::vector<FakeMessageBox> boxes;
  // Answers for the next boxes; when empty a box is answered with its
  // first button (OK or Yes).
  std::deque<BoxAnswer> scripted_answers;
  // Called while a box is shown, before it is answered (a test can press
  // another button "under" the box or look at the state).
  std::function<void(const FakeMessageBox& box)> while_box_shown;

  // Every end_dialog call's end code, in order.
  std::vector<int> end_codes;

  // The clock runs with the fake line's virtual time (line_clock_us, set by
  // the test's fixture), plus what a test lets pass between two presses
  // (let_time_pass).
  std::function<std::int64_t()> line_clock_us;
  int double_click_ms = 500;  // Windows' default
  std::int64_t time_passed_ms = 0;
  void let_time_pass(std::int64_t ms) { time_passed_ms += ms; }

  std::string text(int control_id) const;
  bool is_enabled(int control_id) const;
};

// The one fake main dialog, and the handle that operations get for it.
FakeDialog& fake_dialog();
DialogHandle fake_dialog_handle();

// Back to the main dialog's start state: empty texts, the template's enabled
// states, empty bar and list, no boxes; nothing locked, boxes not suppressed.
void fake_dialog_reset();
