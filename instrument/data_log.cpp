#include "instrument/data_log.h"

#include "link/commands.h"
#include "link/link_cancel.h"
#include "link/log_store.h"
#include "link/log_transfer.h"
#include "link/transaction.h"

DownloadOutcome download_data_log(const LineProgressCallback& on_line_exchange) {
  const char* result = run_log_transfer(on_line_exchange);
  if (link_cancel_requested()) return DownloadOutcome::cancelled;
  return transaction_failed(result) ? DownloadOutcome::failed : DownloadOutcome::complete;
}

std::vector<std::string> downloaded_log_lines() {
  const std::size_t line_count = log_store_line_count();
  std::vector<std::string> lines;
  lines.reserve(line_count);
  for (std::size_t index = 0; index < line_count; ++index) lines.push_back(log_store_line(index));
  return lines;
}

bool erase_data_log() { return !transaction_failed(order(command_text(Command::do_reset_log))); }
