#include "datalog/log_download.h"

#include "app/busy.h"
#include "app/control_ids.h"
#include "link/commands.h"
#include "link/link_cancel.h"
#include "link/log_store.h"
#include "link/log_transfer.h"
#include "link/transaction.h"

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

}  // namespace

std::vector<std::string> log_list_items() {
  const std::size_t line_count = log_store_line_count();
  std::vector<std::string> items;
  items.reserve(line_count);
  for (std::size_t index = 0; index < line_count; ++index) {
    const std::string& line = log_store_line(index);
    if (line == kBannerLine) items.emplace_back(kSeparatorItem);
    items.push_back(line);
  }
  return items;
}

void download_log(DialogHandle dialog) {
  busy_start(dialog, kDownloadLogBusyText, kLogProgressTop, kLogProgressStep);
  clear_log_list(dialog);
  set_control_text(dialog, IDC_DOWNLOAD_LOG, kCancelCaption);
  const char* result = run_log_transfer([dialog] { progress_step(dialog); });
  set_control_text(dialog, IDC_DOWNLOAD_LOG, kDownloadLogCaption);
  // One batch, so the list redraws once however long the log is.
  append_log_list_items(dialog, log_list_items());
  enable_control(dialog, IDC_EXPORT_LOG, true);
  enable_control(dialog, IDC_PRINT_LOG, true);
  if (link_cancel_requested()) {
    set_control_text(dialog, IDC_STATUS, kDownloadCancelledText);
    return;
  }
  busy_finish(dialog);
  if (transaction_failed(result)) show_message_box(dialog, kDownloadIncompleteBox);
}

void erase_instrument_data(DialogHandle dialog) {
  if (show_message_box(dialog, kEraseQuestionBox) != BoxAnswer::yes) return;
  if (transaction_failed(order(command_text(Command::do_reset_log)))) {
    show_message_box(dialog, kEraseNotConfirmedBox);
  }
}
