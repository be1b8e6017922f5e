#pragma once
// The log transfer: pulls the instrument's whole data log over the open port
// with "GET LOG DATA", one line per exchange, into the log line store.
//
// After the handshake and echo (budgets of 50 each, with the same budget rule
// as queries and orders) the host repeats: "!" "\r" asks for a line; the line
// comes framed by one leading and one trailing byte; it is stored (banner
// and column header in their fixed forms), handed back as received with
// "\r", and acknowledged by "!". A line not acknowledged is asked for again
// into the same slot, up to 50 times over the whole transfer. The line "EOT"
// ends the log and is neither handed back nor acknowledged.

#include <cstddef>
#include <functional>

inline constexpr int kLogTransferBudget = 50;
// Compare its text, not its address: each file may hold its own copy of the
// literal. Failure, by contrast, is the one shared kFailureMarker.
inline constexpr const char* kTransferDone = "Done";

// The banner and column header as received and as stored.
inline constexpr const char* kReceivedBanner = "  719   VER. 3.1";
inline constexpr const char* kBannerLine = " 719   VER. 3.1";
inline constexpr const char* kShortColumnHeader = "                 LOC.        PPM    STATUS ";
inline constexpr const char* kLongColumnHeader = "                            LOC.         PPM     STATUS";

// Called once before each line read with the number of lines acknowledged
// so far (the dialog steps its progress bar there, the command-line program
// counts the lines).
using LineExchangeCallback = std::function<void(std::size_t lines_acknowledged)>;

// Runs the whole transfer. Returns kTransferDone, or
// the failure marker of link/transaction.h. Either way the store then holds
// the lines that the instrument acknowledged, then "EOT": a line whose
// acknowledgement never came is not kept, and nothing of an earlier download
// stays readable behind a failed one.
const char* run_log_transfer(const LineExchangeCallback& line_exchange);
