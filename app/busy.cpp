#include "app/busy.h"

#include "app/control_ids.h"
#include "app/dialog_connection.h"

namespace {
// The top of the range of the operation in progress: busy_finish fills the
// bar to it. Operations with a small range have reached it by their last
// step already; those with 0 to 1000 step once per line and need the fill.
int busy_top = 0;
// Where the bar stands. Past its top PBM_STEPIT starts it again from
// empty, which looks as if the operation had restarted (a log of more than
// 1000 lines steps more often than its range holds): a full bar stays full.
int busy_position = 0;
int busy_step = 0;
}  // namespace

void busy_start(DialogHandle dialog, const char* busy_text, int top, int step) {
  set_control_text(dialog, IDC_STATUS, busy_text);
  set_progress_range(dialog, 0);  // empties the bar
  set_progress_range(dialog, top);
  set_progress_step(dialog, step);
  busy_top = top;
  busy_position = 0;
  busy_step = step;
}

void progress_step(DialogHandle dialog) {
  if (busy_position >= busy_top) return;
  advance_progress_bar(dialog);
  busy_position += busy_step;
}

void busy_finish(DialogHandle dialog) {
  set_progress_position(dialog, busy_top);
  set_control_text(dialog, IDC_STATUS, dialog_connected() ? kStatusConnected : kStatusDisconnected);
}
