// NullDialog: a dialog seam that does nothing, so that the benchmarks measure
// the operations and not a fake's bookkeeping. The list keeps only its count.

#include "app/dialog.h"
#include "app/dialog_platform.h"

namespace {
int list_count = 0;
}  // namespace

std::string get_control_text(DialogHandle, int) { return std::string(); }
void set_control_text(DialogHandle, int, const std::string&) {}
void platform_enable_control(DialogHandle, int, bool) {}
bool is_control_enabled(DialogHandle, int) { return true; }
void enable_dialog(DialogHandle, bool) {}
void set_progress_range(DialogHandle, int) {}
void set_progress_step(DialogHandle, int) {}
void advance_progress_bar(DialogHandle) {}
void set_progress_position(DialogHandle, int) {}
void clear_log_list(DialogHandle) { list_count = 0; }
void append_log_list_items(DialogHandle, const std::vector<std::string>& items) {
  list_count += static_cast<int>(items.size());
}
int log_list_count(DialogHandle) { return list_count; }
std::string log_list_item(DialogHandle, int) { return std::string(); }
BoxAnswer platform_show_message_box(DialogHandle, const MessageBoxSpec& box) {
  return box.buttons == BoxButtons::ok ? BoxAnswer::ok : BoxAnswer::yes;
}
