#include "app/busy.h"

#include "app/control_ids.h"
#include "link/serial_port.h"

namespace {
// The top of the range of the operation in progress: busy_finish fills the
// bar to it. Operations with a small range have reached it by their last
// step already; those with 0 to 1000 step once per line and need the fill.
int busy_top = 0;
}  // namespace

void busy_start(DialogHandle dialog, const char* busy_text, int top, int step) {
  set_control_text(dialog, IDC_STATUS, busy_text);
  set_progress_range(dialog, 0);  // empties the bar
  set_progress_range(dialog, top);
  set_progress_step(dialog, step);
  busy_top = top;
}

void progress_step(DialogHandle dialog) { step_progress(dialog); }

void busy_finish(DialogHandle dialog) {
  set_progress_position(dialog, busy_top);
  set_control_text(dialog, IDC_STATUS, serial_port_is_open() ? kStatusConnected : kStatusDisconnected);
}
