#include "app/dialog.h"

#include <map>
#include <utility>

#include "app/dialog_platform.h"

namespace {

// Each locked control and the state it gets back at unlock_controls.
std::map<int, bool> locked_controls;
bool boxes_suppressed = false;

}  // namespace

void enable_control(DialogHandle dialog, int control_id, bool enabled) {
  auto locked = locked_controls.find(control_id);
  if (locked != locked_controls.end()) {
    locked->second = enabled;
    return;
  }
  platform_enable_control(dialog, control_id, enabled);
}

void lock_controls(DialogHandle dialog, const std::vector<int>& control_ids) {
  for (int control_id : control_ids) {
    locked_controls[control_id] = is_control_enabled(dialog, control_id);
    platform_enable_control(dialog, control_id, false);
  }
}

void unlock_controls(DialogHandle dialog) {
  const std::map<int, bool> unlocked = std::move(locked_controls);
  locked_controls.clear();
  for (const auto& [control_id, enabled] : unlocked) platform_enable_control(dialog, control_id, enabled);
}

BoxAnswer show_message_box(DialogHandle dialog, const MessageBoxSpec& box) {
  // Nobody is left to answer a box once the program is closing; the safe
  // answer to a question is No (nothing erased, nothing overwritten).
  if (boxes_suppressed) return box.buttons == BoxButtons::ok ? BoxAnswer::ok : BoxAnswer::no;
  return platform_show_message_box(dialog, box);
}

void suppress_message_boxes(bool suppressed) { boxes_suppressed = suppressed; }
