#pragma once
// What 719k says when the instrument did not do what it was asked: one
// message per cause, each naming the port, the same in every command, so
// that a message found in a scheduled job's log says what to check.

#include <cstddef>
#include <string>

#include "link/link_failure.h"

// Why an exchange failed: silence ("no answer from the instrument on PORT:
// is it connected, switched on and set to 2400 baud?"), garbled data, a
// port that failed. Empty for a cancel, which is reported on its own.
std::string failure_message(LinkFailure failure, const std::string& port);

// An order that failed: as failure_message, except that an order whose
// echo was confirmed but not its end is "the instrument on PORT did not
// confirm WHAT".
std::string order_failure_message(LinkFailure failure, const std::string& port, const std::string& what);

// A download that stopped: "the download from PORT stopped after N lines:
// CAUSE", or "the instrument on PORT did not send its log: CAUSE" when no
// line came.
std::string download_stopped_message(LinkFailure failure, const std::string& port, std::size_t lines);
