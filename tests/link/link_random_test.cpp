// Seeded randomised exchanges: an instrument that mostly follows the protocol
// and otherwise sends arbitrary bytes (silence, wrong bytes, short and long
// bursts, NULs) drives queries, orders and log transfers. Whatever comes, no
// transaction may crash, write outside its buffers (run it under the
// sanitizers), or take more attempts or time than its budgets and the link
// time-outs allow. A failing seed is printed so the run can be repeated.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "link/command_vocabulary.h"
#include "link/log_transfer.h"
#include "link/transaction.h"
#include "tests/fakes/instrument_fixtures.h"

namespace {

constexpr std::int64_t kUsPerMs = 1000;
constexpr int kRunsPerKind = 5000;

// The longest a read of n bytes may take: its total time-out.
std::int64_t read_bound_us(std::size_t n) {
  return static_cast<std::int64_t>(kLinkTimeoutMs) * static_cast<std::int64_t>(n + 1) * kUsPerMs;
}

struct RandomInstrument {
  std::mt19937 random;
  int wildness_percent = 0;  // drawn per run: from a calm line to mostly noise
  const FakeSerialLine* line = nullptr;  // what the host sent, for the echo

  int roll(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); }

  char any_byte() {
    constexpr char kLikely[] = {'!', '?', '\0', '\r', '\n', kFrameStart, kFrameEnd, 'E', 'O', 'T', ' '};
    if (roll(2) == 0) return kLikely[roll(static_cast<int>(sizeof kLikely))];
    return static_cast<char>(roll(256));
  }

  std::string noise(std::size_t max_length) {
    std::string bytes(static_cast<std::size_t>(roll(static_cast<int>(max_length) + 1)), '\0');
    for (char& byte : bytes) byte = any_byte();
    return bytes;
  }

  std::string framed(const std::string& text) { return kFrameStart + text + kFrameEnd; }

  // The command the host sent last: the write before its last terminator.
  std::string last_command() const {
    std::vector<std::string> writes = line->host_writes();
    return writes.size() >= 2 ? writes[writes.size() - 2] : std::string();
  }

  std::string reply(std::size_t requested) {
    if (roll(100) < wildness_percent) return roll(2) == 0 ? noise(requested) : std::string();
    int dice = roll(100);
    if (requested == 1) return dice < 92 ? "!" : std::string(1, any_byte());
    if (requested == 40) return framed(noise(45));
    if (requested == 100) return dice < 30 ? framed("EOT") : framed(noise(100));
    std::string echo = kEchoLeadByte + last_command();
    if (dice < 25 && echo.size() > 1) echo[1 + static_cast<std::size_t>(roll(static_cast<int>(echo.size()) - 1))] = any_byte();
    return echo;
  }
};

class LinkRandom : public OpenLinkTest {
 protected:
  void start_run(unsigned seed) {
    SetUp();
    instrument.random.seed(seed);
    instrument.wildness_percent = instrument.roll(100);
    instrument.line = &line;
    line.attach_source([this](std::size_t requested) { return instrument.reply(requested); });
  }

  long attention_bytes() const {
    std::vector<std::string> writes = line.host_writes();
    return std::count(writes.begin(), writes.end(), "?");
  }

  std::string random_command(CommandKind kind) {
    std::vector<const char*> texts;
    for (const CommandEntry& entry : kCommandTable) {
      if (entry.kind == kind) texts.push_back(entry.text);
    }
    std::string text = texts[static_cast<std::size_t>(instrument.roll(static_cast<int>(texts.size())))];
    if (kind == CommandKind::order && text.back() == ' ') text += instrument.noise(90);
    return text;
  }

  // Both outcomes must come up often, or the instrument is too tame (or too
  // wild) to reach the later stages.
  void count_outcome(bool failed) { ++(failed ? failures : successes); }
  void TearDown() override {
    EXPECT_GT(successes, kRunsPerKind / 10);
    EXPECT_GT(failures, kRunsPerKind / 10);
  }

  RandomInstrument instrument;
  int successes = 0;
  int failures = 0;
};

TEST_F(LinkRandom, QueriesStayWithinFortySixAttemptsAndTheirTimeBound) {
  for (unsigned seed = 1; seed <= kRunsPerKind; ++seed) {
    start_run(seed);
    const std::string text = random_command(CommandKind::query);
    const TransactionResult result = query(text);
    count_outcome(!result.succeeded());
    ASSERT_LE(result.response_line.size(), kResponseLineMax) << "seed " << seed;
    const std::size_t length = text.size();
    const std::int64_t attempt_us = fake_transmission_us(length + 45) + read_bound_us(1) +
                                    read_bound_us(length + 1) + read_bound_us(40) + read_bound_us(1);
    ASSERT_LE(attention_bytes(), 46) << "seed " << seed;
    ASSERT_LE(line.elapsed_us(), attention_bytes() * attempt_us) << "seed " << seed;
  }
}

TEST_F(LinkRandom, OrdersStayWithinThirtyOneAttemptsAndNeverResendAfterConfirming) {
  for (unsigned seed = 1; seed <= kRunsPerKind; ++seed) {
    start_run(seed);
    const std::string text = random_command(CommandKind::order);
    const TransactionResult result = order(text);
    count_outcome(!result.succeeded());
    ASSERT_TRUE(result.response_line.empty()) << "seed " << seed;
    std::vector<std::string> writes = line.host_writes();
    auto confirmation = std::find(writes.begin(), writes.end(), "!");
    if (confirmation != writes.end()) {
      ASSERT_EQ(std::vector<std::string>(confirmation, writes.end()), (std::vector<std::string>{"!", "\r"}))
          << "seed " << seed;
    }
    const std::size_t length = text.size();
    const std::int64_t attempt_us =
        fake_transmission_us(length + 5) + read_bound_us(1) + read_bound_us(length + 1);
    ASSERT_LE(attention_bytes(), 31) << "seed " << seed;
    ASSERT_LE(line.elapsed_us(), attention_bytes() * attempt_us + 16 * read_bound_us(1)) << "seed " << seed;
  }
}

TEST_F(LinkRandom, LogTransfersStayWithinTheirBudgetsAndKeepOnlyWholeLines) {
  for (unsigned seed = 1; seed <= kRunsPerKind; ++seed) {
    start_run(seed);
    int steps = 0;
    const LogTransferResult result = link->transfer_log([&steps](std::size_t) { ++steps; });
    count_outcome(result.failure != LinkFailure::none);
    const std::size_t lines = result.lines.size();
    for (const std::string& kept : result.lines) {
      ASSERT_LE(kept.size(), kReceiveBufferSize - 2) << "seed " << seed;
      ASSERT_NE(kept, kEndOfLog) << "seed " << seed;
    }
    // Every step either kept a line, was refused (50 at most, and one more
    // ends the transfer) or was the last one.
    ASSERT_LE(static_cast<std::size_t>(steps), lines + kLogTransferBudget + 2) << "seed " << seed;
    ASSERT_LE(attention_bytes(), 2 * kLogTransferBudget + 1) << "seed " << seed;
    const std::int64_t opening_us = fake_transmission_us(15) + read_bound_us(1) + read_bound_us(13);
    const std::int64_t step_us = fake_transmission_us(101) + read_bound_us(100) + read_bound_us(1);
    ASSERT_LE(line.elapsed_us(), attention_bytes() * opening_us + steps * step_us) << "seed " << seed;
  }
}

}  // namespace
