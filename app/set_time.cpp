#include "app/set_time.h"

#include "app/busy.h"
#include "app/control_ids.h"
#include "app/dialog_connection.h"
#include "instrument/clock.h"

namespace {

constexpr const char* kSetTimeBusyText = "Setting Time...";
constexpr int kSetTimeProgressTop = 20;
constexpr int kSetTimeProgressStep = 10;

// No local time (localtime cannot convert the clock's value) sends no order:
// the instrument's clock is then left alone and only read back.
void run_set_time(DialogHandle dialog, const std::tm* local_time) {
  busy_start(dialog, kSetTimeBusyText, kSetTimeProgressTop, kSetTimeProgressStep);
  if (local_time != nullptr) set_instrument_clock(dialog_instrument(), *local_time);
  progress_step(dialog);
  show_instrument_clock(dialog);
  progress_step(dialog);
  busy_finish(dialog);
}

}  // namespace

void show_instrument_clock(DialogHandle dialog) {
  set_control_text(dialog, IDC_DATETIME, clock_shown(read_instrument_clock(dialog_instrument())));
}

void set_time_to(DialogHandle dialog, const std::tm& local_time) { run_set_time(dialog, &local_time); }

void set_time(DialogHandle dialog) {
  std::time_t now = std::time(nullptr);
  run_set_time(dialog, std::localtime(&now));
}
