#include "app/operation.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "app/about.h"
#include "app/connection.h"
#include "app/control_ids.h"
#include "app/data_log_panel.h"
#include "app/dialog_connection.h"
#include "app/export_log.h"
#include "app/port_list.h"
#include "app/print_log.h"
#include "app/set_time.h"
#include "app/settings_panel.h"

namespace {

enum class RouteKind {
  direct,                  // does not wait for the line
  operation,               // talks to the instrument: runs locked
  cancellable_operation,   // the same, and its own button cancels it
};

struct Route {
  int command_id;
  void (*handler)(DialogHandle dialog);
  RouteKind kind;
};

void close_program(DialogHandle dialog, int end_code) {
  close_dialog_connection();
  end_dialog(dialog, end_code);
}

void quit(DialogHandle dialog) { close_program(dialog, kEndCodeQuit); }

// The button writes the settings and then reads them back, so that the
// edits show what the instrument now holds.
void save_config_and_reread(DialogHandle dialog) {
  save_config(dialog);
  get_config(dialog);
}

constexpr Route kRoutes[] = {
    {IDC_CONNECT, connect_instrument, RouteKind::operation},
    {IDC_DISCONNECT, disconnect_instrument, RouteKind::direct},
    {IDC_SET_TIME, set_time, RouteKind::operation},
    {IDC_GET_CONFIG, get_config, RouteKind::operation},
    {IDC_SAVE_CONFIG, save_config_and_reread, RouteKind::operation},
    {IDC_DOWNLOAD_LOG, download_log, RouteKind::cancellable_operation},
    {IDC_ERASE_DATA, erase_instrument_data, RouteKind::operation},
    {IDC_EXPORT_LOG, export_log, RouteKind::direct},
    {IDC_PRINT_LOG, print_log, RouteKind::direct},
    {IDC_ABOUT, show_about, RouteKind::direct},
    {IDC_QUIT, quit, RouteKind::direct},
};

// Everything that could start a command, Quit and About included.
constexpr int kLockedDuringOperations[] = {
    IDC_CONNECT,   IDC_DISCONNECT,  IDC_SET_TIME,  IDC_GET_CONFIG, IDC_SAVE_CONFIG, IDC_DOWNLOAD_LOG,
    IDC_ERASE_DATA, IDC_EXPORT_LOG, IDC_PRINT_LOG, IDC_ABOUT,      IDC_QUIT,        IDC_PORT,
};

const Route* running_operation = nullptr;
bool close_pending = false;
// When the last cancellable operation started or ended, and its button.
// A double-click on Download Log is two commands, and the second would
// cancel the download that the first started; a click on Cancel just as the
// download ends by itself would start a new one, which empties the list.
// So a click on that button within the double-click time of either moment
// does nothing, unless the operator has run another command since; Escape
// cancels at any time.
int cancellable_button = 0;
std::int64_t cancellable_changed_ms = 0;
// A cancelled operation may have left the rest of an instrument's line on
// its way in; taken for the next transaction's replies, its bytes would
// fail that transaction's attention stage one after another.
bool input_may_be_stale = false;

const Route* route_for(int command_id) {
  auto found = std::find_if(std::begin(kRoutes), std::end(kRoutes),
                            [command_id](const Route& route) { return route.command_id == command_id; });
  return found == std::end(kRoutes) ? nullptr : found;
}

void note_cancellable_change(const Route& operation) {
  if (operation.kind != RouteKind::cancellable_operation) return;
  cancellable_button = operation.command_id;
  cancellable_changed_ms = milliseconds_now();
}

bool is_second_click(int command_id) {
  return command_id == cancellable_button && milliseconds_now() - cancellable_changed_ms < double_click_time_ms();
}

bool cancels_running_operation(int command_id) {
  return running_operation->kind == RouteKind::cancellable_operation &&
         (command_id == running_operation->command_id || command_id == kEscapeCommandId);
}

std::vector<int> controls_to_lock(const Route& operation) {
  std::vector<int> controls;
  for (int control_id : kLockedDuringOperations) {
    const bool is_cancel = operation.kind == RouteKind::cancellable_operation && control_id == operation.command_id;
    if (!is_cancel) controls.push_back(control_id);
  }
  return controls;
}

void run_operation(DialogHandle dialog, const Route& operation) {
  running_operation = &operation;
  dialog_cancel().clear();
  if (input_may_be_stale) discard_dialog_input();
  input_may_be_stale = false;
  lock_controls(dialog, controls_to_lock(operation));
  note_cancellable_change(operation);
  operation.handler(dialog);
  note_cancellable_change(operation);
  unlock_controls(dialog);
  input_may_be_stale = dialog_cancel().requested();
  dialog_cancel().clear();
  running_operation = nullptr;
  if (close_pending) close_program(dialog, kEndCodeClosed);
}

}  // namespace

void main_dialog_opened(DialogHandle dialog) {
  running_operation = nullptr;
  close_pending = false;
  input_may_be_stale = false;
  cancellable_button = 0;
  dialog_cancel().clear();
  suppress_message_boxes(false);
  refresh_port_list(dialog);
}

bool handle_dialog_command(DialogHandle dialog, int command_id) {
  if (running_operation) {
    if (cancels_running_operation(command_id)) {
      if (!is_second_click(command_id)) dialog_cancel().request();
      return true;
    }
    return route_for(command_id) != nullptr;
  }
  const Route* route = route_for(command_id);
  if (!route) return false;
  if (is_second_click(command_id)) return true;
  // Another command in between: the next click on the button is a new one.
  if (route->kind != RouteKind::cancellable_operation) cancellable_button = 0;
  if (route->kind == RouteKind::direct) {
    route->handler(dialog);
  } else {
    run_operation(dialog, *route);
  }
  return true;
}

void handle_close_box(DialogHandle dialog) {
  if (!running_operation) {
    close_program(dialog, kEndCodeClosed);
    return;
  }
  close_pending = true;
  suppress_message_boxes(true);
  dialog_cancel().request();
}
