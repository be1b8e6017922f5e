// Fuzz target: any bytes play the instrument for one transaction of any
// kind (a query, an order, the log transfer), read by read, and may have the
// platform refuse a write or a read, or the operator cancel, on the way.
// Whatever comes:
//   - the transaction stays within its retry budgets and its time bound,
//     both computed from the budgets and the port's time-out rules;
//   - nothing goes out after the read that decided the outcome (or the call
//     the platform refused), and an order never sends its command again
//     once it has confirmed the echo;
//   - every response and log line read goes back as the protocol says,
//     without its leading byte, and the result is a failure or the right
//     kind of success, as the trace's result says too;
//   - a log transfer returns exactly the lines acknowledged in it, as
//     received;
//   - the trace reports every chunk that crossed the wire.
// The input: the leading bytes of fuzz_harness.h, then the reply records.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "link/instrument_link.h"
#include "link/log_transfer.h"
#include "link/transaction.h"
#include "tests/fuzz/fuzz_harness.h"

namespace {

constexpr std::size_t kResponseReadBytes = 40;  // a query's response read

// Writes "?" "\r", the command and "\r", and "!" "\r" open every attempt.
std::int64_t opening_writes_us(std::size_t length) { return fake_transmission_us(2 + length + 1 + 2); }

std::int64_t opening_reads_us(std::size_t length) { return read_bound_us(1) + read_bound_us(length + 1); }

const FakeTransfer* last_transfer() {
  const std::vector<FakeTransfer>& transcript = rig().line.transcript();
  return transcript.empty() ? nullptr : &transcript.back();
}

// A text read goes back without its leading byte and with "\r": the writes
// that follow the read at `index` up to the next read are those (only a
// refusal or a cancel, which ends the transaction, may cut them short).
bool handed_back_after(std::size_t index, const std::string& text) {
  const std::vector<FakeTransfer>& transcript = rig().line.transcript();
  std::vector<std::string> expected, written;
  if (!text.empty()) expected.push_back(text);
  expected.push_back("\r");
  std::size_t next = index + 1;
  for (; next < transcript.size() && transcript[next].direction == FakeDirection::host_write; ++next) {
    written.push_back(transcript[next].bytes);
  }
  if (next < transcript.size()) return written == expected;
  return written.size() <= expected.size() && std::equal(written.begin(), written.end(), expected.begin());
}

bool last_read_was_acknowledgement() {
  const FakeTransfer* last = last_transfer();
  return last && last->direction == FakeDirection::host_read && last->bytes == "!";
}

void check_query(const std::string& command, const TransactionResult& result) {
  const long attempts = attention_bytes(kResponseReadBytes);
  FUZZ_CHECK(attempts <= 3 * kTransactionBudget + 1);
  // An attempt also reads the response, hands it back (39 bytes at most and
  // "\r") and reads the closing "!".
  const std::int64_t attempt_us = opening_writes_us(command.size()) + opening_reads_us(command.size()) +
                                  read_bound_us(kResponseReadBytes) + fake_transmission_us(40) +
                                  read_bound_us(1);
  FUZZ_CHECK(rig().line.elapsed_us() <= attempts * attempt_us);
  if (!result.succeeded()) return;

  FUZZ_CHECK(result.response_line.size() <= kResponseLineMax);
  FUZZ_CHECK(last_read_was_acknowledgement());
  // The response is the last one read, and everything of it but the
  // leading byte went back before the closing "!".
  const std::vector<FakeTransfer>& transcript = rig().line.transcript();
  std::size_t response = transcript.size();
  while (response-- > 0) {
    if (transcript[response].requested == kResponseReadBytes) break;
  }
  FUZZ_CHECK(response < transcript.size());
  const std::string& read = transcript[response].bytes;
  FUZZ_CHECK(result.response_line == framed_text(read));
  FUZZ_CHECK(handed_back_after(response, read.substr(1)));
  FUZZ_CHECK(transcript.size() == response + (read.size() > 1 ? 4 : 3));
}

void check_order(const std::string& command, const TransactionResult& result) {
  if (command.size() > kCommandTextMax) {
    FUZZ_CHECK(result.failure == LinkFailure::not_sent && rig().line.transcript().empty());
    return;
  }
  const long attempts = attention_bytes(0);
  FUZZ_CHECK(attempts <= 2 * kTransactionBudget + 1);
  // The first "!" written confirms the echo; after it come only the closing
  // reads.
  const std::vector<FakeTransfer>& transcript = rig().line.transcript();
  std::size_t confirmation = 0;
  while (confirmation < transcript.size() &&
         !(transcript[confirmation].direction == FakeDirection::host_write && transcript[confirmation].bytes == "!")) {
    ++confirmation;
  }
  long closing_reads = 0;
  std::vector<std::string> written_after;
  for (std::size_t i = confirmation; i < transcript.size(); ++i) {
    if (transcript[i].direction == FakeDirection::host_read) {
      ++closing_reads;
    } else {
      written_after.push_back(transcript[i].bytes);
    }
  }
  FUZZ_CHECK(closing_reads <= kTransactionBudget + 1);
  // The confirmation is "!" "\r" (cut short only by a cancel or a refusal).
  const std::vector<std::string> confirming{"!", "\r"};
  FUZZ_CHECK(written_after.size() <= 2 && std::equal(written_after.begin(), written_after.end(), confirming.begin()));
  const std::int64_t attempt_us = fake_transmission_us(2 + command.size() + 1) + opening_reads_us(command.size());
  FUZZ_CHECK(rig().line.elapsed_us() <=
             attempts * attempt_us + fake_transmission_us(2) + closing_reads * read_bound_us(1));
  if (!result.succeeded()) return;
  FUZZ_CHECK(result.response_line.empty());
  FUZZ_CHECK(written_after == confirming);
  FUZZ_CHECK(last_read_was_acknowledgement());
}

// The number of lines acknowledged that the transfer reported before each
// line it asked for.
std::vector<std::size_t> line_exchanges;

void check_log_transfer(const LogTransferResult& result) {
  const long attempts = attention_bytes(kReceiveBufferSize);
  FUZZ_CHECK(attempts <= 2 * kLogTransferBudget + 1);
  // Each line read is followed by the read of its acknowledgement, unless
  // it is the last read.
  const std::vector<FakeTransfer>& transcript = rig().line.transcript();
  std::vector<std::string> acknowledged;
  long line_reads = 0, refusals = 0;
  const FakeTransfer* line = nullptr;
  for (std::size_t i = 0; i < transcript.size(); ++i) {
    const FakeTransfer& transfer = transcript[i];
    if (transfer.direction != FakeDirection::host_read) continue;
    if (transfer.requested == kReceiveBufferSize) {
      line = &transfer;
      ++line_reads;
      // The line goes back as it came, a NUL and what follows it included.
      const bool a_line = !transfer.cancelled && transfer.bytes.size() >= 2 && framed_text(transfer.bytes) != kEndOfLog;
      if (a_line) FUZZ_CHECK(handed_back_after(i, transfer.bytes.substr(1, transfer.bytes.size() - 2)));
      continue;
    }
    // A cancelled read brings nothing to the link, whatever had arrived.
    if (!line || line->cancelled || transfer.cancelled) continue;
    if (transfer.bytes == "!") {
      acknowledged.push_back(framed_text(line->bytes));
    } else {
      ++refusals;
    }
    line = nullptr;
  }
  FUZZ_CHECK(refusals <= kLogTransferBudget + 1);
  // A step asks for a line ("!" "\r"), reads it, hands it back (98 bytes
  // at most and "\r") and reads its acknowledgement.
  const std::int64_t step_us = fake_transmission_us(2 + 99) + read_bound_us(kReceiveBufferSize) + read_bound_us(1);
  const std::size_t length = std::strlen("GET LOG DATA");
  const std::int64_t opening_us = fake_transmission_us(2 + length + 1) + opening_reads_us(length);
  FUZZ_CHECK(line_reads <= static_cast<long>(acknowledged.size()) + kLogTransferBudget + 2);
  FUZZ_CHECK(rig().line.elapsed_us() <= attempts * opening_us + line_reads * step_us);
  // Reported once before each line is asked for (the request itself may
  // have been refused), counting up with the acknowledgements.
  FUZZ_CHECK(line_exchanges.size() >= static_cast<std::size_t>(line_reads) &&
             line_exchanges.size() <= static_cast<std::size_t>(line_reads) + 1);
  for (std::size_t i = 0; i < line_exchanges.size(); ++i) {
    const std::size_t before = i == 0 ? 0 : line_exchanges[i - 1];
    FUZZ_CHECK(line_exchanges[i] == before || line_exchanges[i] == before + 1);
  }
  FUZZ_CHECK(line_exchanges.empty() || line_exchanges.back() == acknowledged.size());

  FUZZ_CHECK(result.lines == acknowledged);
  if (result.failure != LinkFailure::none) return;
  const FakeTransfer* last = last_transfer();
  FUZZ_CHECK(last && last->requested == kReceiveBufferSize && framed_text(last->bytes) == kEndOfLog);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const TransactionInput run = read_transaction_input(input);
  play_instrument_from(input);
  arm_trouble(run.trouble, run.moment);
  InstrumentLink link(*rig().port, record_trace());
  const std::vector<RecordedEvent>& trace = rig().events;

  bool failed = false;
  switch (run.kind) {
    case CommandKind::query: {
      const TransactionResult result = link.query(run.command);
      failed = !result.succeeded();
      check_query(run.command, result);
      break;
    }
    case CommandKind::order: {
      const TransactionResult result = link.order(run.command);
      failed = !result.succeeded();
      check_order(run.command, result);
      break;
    }
    case CommandKind::log_transfer: {
      line_exchanges.clear();
      const LogTransferResult result =
          link.transfer_log([](std::size_t lines) { line_exchanges.push_back(lines); });
      failed = result.failure != LinkFailure::none;
      check_log_transfer(result);
      break;
    }
  }

  FUZZ_CHECK(trace_matches_transcript(trace));
  FUZZ_CHECK(ends_with_a_read_or_a_refused_write(trace));
  FUZZ_CHECK(!trace.empty() && trace.back().kind == TraceEventKind::exchange_ended);
  FUZZ_CHECK(trace.back().failure_marker == failed);
  return 0;
}
