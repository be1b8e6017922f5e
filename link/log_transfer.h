#pragma once
// The log transfer (InstrumentLink::transfer_log): pulls the instrument's
// whole data log over the open port with "GET LOG DATA", one line per
// exchange.
//
// After the handshake and echo (budgets of 50 each, with the same budget rule
// as queries and orders) the host repeats: "!" "\r" asks for a line; the line
// comes framed by one leading and one trailing byte; it is handed back as
// received with "\r" and acknowledged by "!", and only then kept. A line not
// acknowledged is asked for again, up to 50 times over the whole transfer.
// The line "EOT" ends the log and is neither handed back nor acknowledged.
//
// The lines are kept exactly as received, at most 98 characters each (what
// the receive buffer holds between the framing bytes); how the banner and
// the column header are shown is the data-log formats' business.

inline constexpr int kLogTransferBudget = 50;
inline constexpr const char* kEndOfLog = "EOT";
// The transfer's result text in the trace.
inline constexpr const char* kTransferDone = "Done";
