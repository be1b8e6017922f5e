#include "app/data_log_panel.h"

#include "app/busy.h"
#include "app/control_ids.h"
#include "app/dialog_connection.h"
#include "datalog/log_list.h"
#include "instrument/data_log.h"

namespace {

constexpr int kLogProgressStep = 1;

constexpr MessageBoxSpec kDownloadIncompleteBox = {
    "The data log download did not complete. The list shows the lines received before the instrument stopped "
    "answering.",
    "Communications Error", BoxButtons::ok, BoxIcon::warning};

constexpr MessageBoxSpec kEraseQuestionBox = {"Erase all readings stored in the instrument?", "Erase Instrument Data",
                                              BoxButtons::yes_no_default_no, BoxIcon::warning};

constexpr MessageBoxSpec kEraseNotConfirmedBox = {"The instrument did not confirm the erase.", "Communications Error",
                                                  BoxButtons::ok, BoxIcon::warning};

std::vector<std::string> last_download_lines;

}  // namespace

void download_log(DialogHandle dialog) {
  busy_start(dialog, kDownloadLogBusyText, kLogProgressTop, kLogProgressStep);
  clear_log_list(dialog);
  set_control_text(dialog, IDC_DOWNLOAD_LOG, kCancelCaption);
  DataLogDownload download =
      download_data_log(dialog_instrument(), [dialog](std::size_t) { progress_step(dialog); });
  last_download_lines = std::move(download.lines);
  set_control_text(dialog, IDC_DOWNLOAD_LOG, kDownloadLogCaption);
  // One batch, so the list redraws once however long the log is.
  append_log_list_items(dialog, log_list_items(last_download_lines));
  enable_control(dialog, IDC_EXPORT_LOG, true);
  enable_control(dialog, IDC_PRINT_LOG, true);
  if (download.outcome == DownloadOutcome::cancelled) {
    set_control_text(dialog, IDC_STATUS, kDownloadCancelledText);
    return;
  }
  busy_finish(dialog);
  if (download.outcome == DownloadOutcome::failed) show_message_box(dialog, kDownloadIncompleteBox);
}

const std::vector<std::string>& downloaded_log_lines() { return last_download_lines; }

void erase_instrument_data(DialogHandle dialog) {
  if (show_message_box(dialog, kEraseQuestionBox) != BoxAnswer::yes) return;
  if (!erase_data_log(dialog_instrument())) show_message_box(dialog, kEraseNotConfirmedBox);
}
