#include "app/connection.h"

#include <string>

#include "app/busy.h"
#include "app/control_ids.h"
#include "app/dialog_connection.h"
#include "app/set_time.h"
#include "instrument/firmware.h"
#include "link/port_name.h"

namespace {

constexpr const char* kConnectBusyText = "Connecting...";
constexpr const char* kConnectFailedText = "Failed To Connect To Instrument";
constexpr int kConnectProgressTop = 30;
constexpr int kConnectProgressStep = 10;

constexpr MessageBoxSpec kPortUnavailableBox{"Port Unavailable", "Error", BoxButtons::ok, BoxIcon::error};
constexpr MessageBoxSpec kCommunicationsErrorBox{
    "Make sure instrument is properly connected to serial port and is set to baud rate 2400",
    "Communications Error", BoxButtons::ok, BoxIcon::none};

// The buttons that work only while an instrument is connected. Export Log
// and Print Log are not among them: they work on a log already downloaded.
constexpr int kInstrumentButtons[] = {IDC_DISCONNECT,   IDC_SET_TIME,     IDC_GET_CONFIG,
                                      IDC_SAVE_CONFIG, IDC_DOWNLOAD_LOG, IDC_ERASE_DATA};

void enable_instrument_buttons(DialogHandle dialog, bool enabled) {
  for (int control_id : kInstrumentButtons) enable_control(dialog, control_id, enabled);
}

std::string chosen_port_name(DialogHandle dialog) {
  return get_control_text(dialog, IDC_PORT).substr(0, kPortNameMaxChars);
}

void fail_connect(DialogHandle dialog) {
  show_message_box(dialog, kCommunicationsErrorBox);
  close_dialog_connection();
  // A second busy start empties the bar and leaves the failure on the status.
  busy_start(dialog, kConnectFailedText, kConnectProgressTop, kConnectProgressStep);
  enable_instrument_buttons(dialog, false);
  enable_control(dialog, IDC_CONNECT, true);
}

}  // namespace

void connect_instrument(DialogHandle dialog) {
  busy_start(dialog, kConnectBusyText, kConnectProgressTop, kConnectProgressStep);
  // A port that does not open leads into the same failure path as a silent
  // instrument, so the operator sees both boxes.
  const bool opened = open_dialog_connection(chosen_port_name(dialog));
  if (!opened) show_message_box(dialog, kPortUnavailableBox);
  progress_step(dialog);

  const std::optional<std::string> firmware_version =
      opened ? read_firmware_version(dialog_instrument()) : std::nullopt;
  if (!firmware_version) {
    fail_connect(dialog);
    return;
  }
  set_control_text(dialog, IDC_FIRMWARE, *firmware_version);
  progress_step(dialog);

  // The clock does not decide the connection: whatever it yields, the
  // instrument answered the version query and the dialog is connected.
  show_instrument_clock(dialog);
  progress_step(dialog);

  enable_instrument_buttons(dialog, true);
  enable_control(dialog, IDC_CONNECT, false);
  enable_control(dialog, IDC_PORT, false);
  busy_finish(dialog);
}

void disconnect_instrument(DialogHandle dialog) {
  close_dialog_connection();
  enable_instrument_buttons(dialog, false);
  enable_control(dialog, IDC_CONNECT, true);
  enable_control(dialog, IDC_PORT, true);
  set_control_text(dialog, IDC_STATUS, kStatusDisconnected);
}
