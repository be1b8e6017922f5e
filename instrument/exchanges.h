#pragma once
// The core's way to the wire: one query, order or log transfer through an
// instrument's link, its outcome noted as the instrument's last. Only the
// core's operations include this; the front ends never do.

#include <optional>
#include <string>

#include "instrument/instrument.h"
#include "link/command_vocabulary.h"
#include "link/instrument_link.h"

// The response line of a GET command, or none when the query failed.
std::optional<std::string> query_response(Instrument& instrument, Command command);

// True when the instrument confirmed the order (a SET text with its value,
// or "DO RESET LOG").
bool order_confirmed(Instrument& instrument, const std::string& order_text);

LogTransferResult transfer_log(Instrument& instrument, const LineExchangeCallback& on_line_exchange);
