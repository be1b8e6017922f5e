#pragma once
// A request to end the exchange in progress on one port: the operator's
// Cancel during a log download, the close box during any operation, Ctrl-C
// or a stop request in the command-line program.
//
// The caller owns the token and hands it to the serial port at open; the
// port watches it. A request makes the port's waiting read or write end
// within one wait slice and report a failure, as the platform reports a
// broken line, and makes every later read or write fail before it starts.
// The transaction or transfer in progress therefore ends at its next step,
// without retries and without sending anything more. The request stays
// until the owner clears it.
//
// Deliberately nothing is sent to the instrument to abandon an exchange: the
// next transaction simply starts with its attention byte.

#include <atomic>

class CancelToken {
 public:
  // Safe from a signal handler and from another thread.
  void request() { requested_.store(true); }
  void clear() { requested_.store(false); }
  bool requested() const { return requested_.load(); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free, "a cancel must be safe to request from a signal handler");
  std::atomic<bool> requested_{false};
};
