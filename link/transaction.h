#pragma once
// Query and order transactions (InstrumentLink::query and ::order).
//
// Every attempt opens with the attention byte "?" "\r", answered by "!". The
// host then sends the command line and "\r", checks the echo (one leading
// byte, unexamined, then the command), confirms it with "!" "\r", and
//   - a query reads the response (one leading byte, the response line, one
//     trailing byte), hands everything but the leading byte back with "\r",
//     and reads the closing "!";
//   - an order reads the closing "!" and never sends its command again.
//
// Retry budgets: the attention, echo and closing stages each have a budget
// of 15 failures for the whole transaction. A stage fails when its read does
// not bring what it expects (nothing within the time-out and a NUL byte
// included). A failed stage with budget left uses one unit and retries; a
// stage reached with its budget at zero still sends and reads, then the
// transaction fails whatever came. A write or read that the platform reports
// as failed ends the transaction at once.
//
// A command text longer than kCommandTextMax fails at once with nothing sent:
// its echo would not fit the receive buffer, and a cut echo can never match.

#include <cstddef>

inline constexpr int kTransactionBudget = 15;
inline constexpr std::size_t kResponseLineMax = 38;  // characters
inline constexpr std::size_t kCommandTextMax = 98;   // so that the echo fits the receive buffer
