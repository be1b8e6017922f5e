#include "instrument/instrument.h"

#include <utility>

#include "instrument/exchanges.h"
#include "link/instrument_link.h"

Instrument::Instrument(SerialPort& port, ExchangeTraceSink trace)
    : link_(std::make_unique<InstrumentLink>(port, std::move(trace))) {}

Instrument::~Instrument() = default;

std::optional<std::string> query_response(Instrument& instrument, Command command) {
  TransactionResult result = instrument.link().query(command_text(command));
  if (instrument.note(result.failure) != LinkFailure::none) return std::nullopt;
  return std::move(result.response_line);
}

bool order_confirmed(Instrument& instrument, const std::string& order_text) {
  return instrument.note(instrument.link().order(order_text).failure) == LinkFailure::none;
}

LogTransferResult transfer_log(Instrument& instrument, const LineExchangeCallback& on_line_exchange) {
  LogTransferResult result = instrument.link().transfer_log(on_line_exchange);
  instrument.note(result.failure);
  return result;
}
