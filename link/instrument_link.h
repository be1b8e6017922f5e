#pragma once
// The link over one open serial port: the instrument's two kinds of
// transaction and its log transfer (link/transaction.h, link/log_transfer.h),
// and the bare attention exchange that asks whether an instrument is there,
// each a call that returns its result as a value.
//
// The link owns what an exchange needs (the receive buffer, the trace sink);
// the caller owns the port and keeps it open while the link lives. Links over
// different ports share nothing, so several instruments can be served at
// once, one thread each. Only the instrument core talks through a link: the
// front ends reach it through instrument/instrument.h.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/exchange_trace.h"
#include "link/link_failure.h"
#include "link/serial_port.h"

struct TransactionResult {
  LinkFailure failure = LinkFailure::none;
  std::string response_line;  // a query's, once it succeeded: at most 38 characters

  bool succeeded() const { return failure == LinkFailure::none; }
};

struct LogTransferResult {
  LinkFailure failure = LinkFailure::none;  // none: the instrument ended the log with "EOT"
  // The lines the instrument sent and acknowledged, in order and exactly as
  // received: a line whose acknowledgement never came is not among them.
  std::vector<std::string> lines;
};

// Called once before each line read with the number of lines acknowledged
// so far (the dialog steps its progress bar there, the command-line program
// counts the lines).
using LineExchangeCallback = std::function<void(std::size_t lines_acknowledged)>;

class InstrumentLink {
 public:
  explicit InstrumentLink(SerialPort& port, ExchangeTraceSink trace = nullptr);

  // The attention byte once, and at most one wait of the link time-out for
  // its acknowledgement: whether an instrument answers on the port. Nothing
  // is retried; the next exchange starts with its own attention byte.
  bool attention_answered();

  // A query for a GET text: its response line, or why it failed.
  TransactionResult query(const std::string& command_text);

  // An order for a SET text followed by its value, or "DO RESET LOG".
  TransactionResult order(const std::string& command_text);

  // The whole data log with "GET LOG DATA".
  LogTransferResult transfer_log(const LineExchangeCallback& on_line_exchange);

 private:
  LinkExchange exchange_;
};
