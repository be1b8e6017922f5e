#include "tests/fakes/fake_dialog.h"

#include "app/control_ids.h"
#include "app/dialog_platform.h"

namespace {
FakeDialog the_dialog;
int dialog_identity;  // its address is the handle

void record_progress(const std::string& call) { the_dialog.progress_calls.push_back(call); }
}  // namespace

std::string FakeDialog::text(int control_id) const {
  auto found = texts.find(control_id);
  return found == texts.end() ? std::string() : found->second;
}

bool FakeDialog::is_enabled(int control_id) const {
  auto found = enabled.find(control_id);
  return found == enabled.end() || found->second;
}

FakeDialog& fake_dialog() { return the_dialog; }
DialogHandle fake_dialog_handle() { return &dialog_identity; }

void fake_dialog_reset() {
  unlock_controls(fake_dialog_handle());
  suppress_message_boxes(false);
  the_dialog = FakeDialog();
  for (int id : {IDC_ERASE_DATA, IDC_GET_CONFIG, IDC_DOWNLOAD_LOG, IDC_EXPORT_LOG, IDC_SAVE_CONFIG,
                 IDC_DISCONNECT, IDC_SET_TIME, IDC_PRINT_LOG}) {
    the_dialog.enabled[id] = false;
  }
  the_dialog.texts[IDC_PORT] = "COM1";
}

// --- The dialog seam --------------------------------------------------------

std::string get_control_text(DialogHandle, int control_id) { return the_dialog.text(control_id); }

void set_control_text(DialogHandle, int control_id, const std::string& text) {
  the_dialog.texts[control_id] = text;
  if (control_id == IDC_STATUS) the_dialog.status_history.push_back(text);
}

void platform_enable_control(DialogHandle, int control_id, bool enabled) { the_dialog.enabled[control_id] = enabled; }
bool is_control_enabled(DialogHandle, int control_id) { return the_dialog.is_enabled(control_id); }
void enable_dialog(DialogHandle, bool enabled) { the_dialog.dialog_enabled = enabled; }

void set_choice_list(DialogHandle, int control_id, const std::vector<std::string>& items, int selected) {
  the_dialog.choice_lists[control_id] = items;
  const bool listed = selected >= 0 && static_cast<std::size_t>(selected) < items.size();
  the_dialog.texts[control_id] = listed ? items[static_cast<std::size_t>(selected)] : std::string();
}

void set_progress_range(DialogHandle, int top) {
  the_dialog.progress_top = top;
  the_dialog.progress_position = 0;  // a new range brings the position to its bottom
  record_progress("range " + std::to_string(top));
}

void set_progress_step(DialogHandle, int step) {
  the_dialog.progress_step_size = step;
  record_progress("step " + std::to_string(step));
}

void advance_progress_bar(DialogHandle) {
  // Like the progress bar control: past the top it starts over from the bottom.
  the_dialog.progress_position += the_dialog.progress_step_size;
  if (the_dialog.progress_position > the_dialog.progress_top) the_dialog.progress_position = 0;
  ++the_dialog.progress_steps;
  record_progress("stepit");
}

void set_progress_position(DialogHandle, int position) {
  the_dialog.progress_position = position;
  record_progress("pos " + std::to_string(position));
}

void clear_log_list(DialogHandle) { the_dialog.list_items.clear(); }

void append_log_list_items(DialogHandle, const std::vector<std::string>& items) {
  the_dialog.list_items.insert(the_dialog.list_items.end(), items.begin(), items.end());
  ++the_dialog.list_append_batches;
}

int log_list_count(DialogHandle) { return static_cast<int>(the_dialog.list_items.size()); }
std::string log_list_item(DialogHandle, int index) { return the_dialog.list_items.at(static_cast<std::size_t>(index)); }

BoxAnswer platform_show_message_box(DialogHandle dialog, const MessageBoxSpec& box) {
  FakeMessageBox shown{dialog, box.text, box.caption, box.buttons, box.icon};
  the_dialog.boxes.push_back(shown);
  if (the_dialog.while_box_shown) the_dialog.while_box_shown(shown);
  if (!the_dialog.scripted_answers.empty()) {
    BoxAnswer answer = the_dialog.scripted_answers.front();
    the_dialog.scripted_answers.pop_front();
    return answer;
  }
  return box.buttons == BoxButtons::ok ? BoxAnswer::ok : BoxAnswer::yes;
}

int double_click_time_ms() { return the_dialog.double_click_ms; }

std::int64_t milliseconds_now() {
  const std::int64_t line_us = the_dialog.line_clock_us ? the_dialog.line_clock_us() : 0;
  return line_us / 1000 + the_dialog.time_passed_ms;
}

void end_dialog(DialogHandle, int end_code) { the_dialog.end_codes.push_back(end_code); }
