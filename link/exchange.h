#pragma once
// What every exchange with the instrument over one port shares (queries,
// orders and the log transfer): the handshake bytes, the receive buffer, the
// host's texts each followed by the terminator, the budget rule, the opening
// of an exchange (attention byte, command line, echo check), the trace, and
// the bookkeeping that tells why an exchange failed.
//
// The budget rule: a stage fails when its read does not bring what it
// expects (nothing, a wrong byte or a NUL alike). With budget left, the
// failure uses one unit and the caller retries; a stage reached with its
// budget already at zero still sends and reads, and then fails whatever came.
// A write or read that the platform reports as failed fails at once.
//
// Nothing here chooses budgets or decides what a failure means to the
// operator; the transactions and the log transfer do.

#include <cstddef>
#include <string>

#include "link/exchange_trace.h"
#include "link/link_failure.h"
#include "link/serial_port.h"

inline constexpr char kAttentionByte = '?';
inline constexpr char kTerminator = '\r';
inline constexpr char kAcknowledgement = '!';

// Every read asks for at most this many bytes and lands at the buffer's start.
inline constexpr std::size_t kReceiveBufferSize = 100;

// The result text of every failed exchange in the trace.
inline constexpr const char* kFailureText = "err";

struct OpeningBudgets {
  int attention;
  int echo;
};

// The budget rule for one stage whose read did (or did not) bring what it expects.
StageOutcome judge_stage(bool as_expected, int& budget);

// The length of the text in the first count bytes: up to the first NUL, or
// all of them. The instrument's texts are not NUL-terminated on the wire, but
// a NUL that comes ends the text, as it ends every text in memory.
std::size_t text_length(const char* bytes, std::size_t count);

class LinkExchange {
 public:
  LinkExchange(SerialPort& port, ExchangeTraceSink trace);

  // Begins an exchange: reported to the trace; the silence count starts.
  void begin(TraceExchange exchange, const std::string& command_text);
  // Ends it with its result text (the response line, the order text,
  // kTransferDone) or, when it failed, kFailureText.
  void end(const std::string& result, LinkFailure failure);

  // Writes the bytes (none when count is 0) and then the terminator, each
  // with a write of its own. False when the platform reports a failure.
  bool send_text(const char* bytes, std::size_t count);

  // Reads up to count bytes (at most kReceiveBufferSize) into the receive
  // buffer. Returns the number read, or -1 when the platform reports a
  // failure.
  int receive(std::size_t count);
  // The bytes of the last receive, at the buffer's start.
  const char* received_bytes() const { return receive_buffer_; }

  // Sends "?", expects "!", sends the command line and checks its echo (one
  // unexamined byte, then the command exactly), starting again from "?"
  // after each failed stage while the budgets allow. True once an echo is
  // good; false when a budget ran out or the platform failed. The budgets
  // are the caller's, so that a later stage's retry continues from what is
  // left.
  bool open_exchange(const std::string& command_text, OpeningBudgets& budgets);

  void trace_stage(TraceStage stage, StageOutcome outcome, int budget_left = -1);

  // The exchange has made progress the instrument confirmed (a log line
  // acknowledged): silence is counted from here.
  void restart_silence_count() { bytes_since_progress_ = 0; }

  // Why the exchange just failed: the cancel, the port, or else silence or
  // garbled data by the bytes that came since it began or last made
  // progress.
  LinkFailure failure() const;

 private:
  StageOutcome attempt_opening(const std::string& command_text, OpeningBudgets& budgets);
  bool write_traced(const char* bytes, std::size_t count);
  void report(const TraceEvent& event) const;

  SerialPort& port_;
  const ExchangeTraceSink trace_;
  char receive_buffer_[kReceiveBufferSize] = {};
  std::size_t bytes_since_progress_ = 0;
  bool port_failed_ = false;
};
