#include "instrument/data_log.h"

#include "instrument/exchanges.h"

namespace {

DownloadOutcome outcome_of(LinkFailure failure) {
  switch (failure) {
    case LinkFailure::none: return DownloadOutcome::complete;
    case LinkFailure::cancelled: return DownloadOutcome::cancelled;
    default: return DownloadOutcome::failed;
  }
}

}  // namespace

DataLogDownload download_data_log(Instrument& instrument, const LineProgressCallback& on_line_exchange) {
  LogTransferResult transfer = transfer_log(instrument, on_line_exchange);
  return DataLogDownload{outcome_of(transfer.failure), std::move(transfer.lines)};
}

bool erase_data_log(Instrument& instrument) {
  return order_confirmed(instrument, command_text(Command::do_reset_log));
}
