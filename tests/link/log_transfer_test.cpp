// The log transfer byte for byte, and the lines it returns: exactly the
// lines that the instrument sent and acknowledged in this transfer, as
// received, and why it stopped when it did not reach the end of the log.

#include "link/log_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/fakes/instrument_fixtures.h"
#include "tests/fakes/numbered_lines.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);
const Strings kOpening{"?", "\r", "GET LOG DATA", "\r"};
const std::string kReading = "05/23/08 1432   A00017       125    OK";
const std::string kReceivedBanner = "  719   VER. 3.1";
const std::string kShortColumnHeader = "                 LOC.        PPM    STATUS ";

class LogTransfer : public OpenLinkTest {
 protected:
  LogTransferResult transfer() {
    return link->transfer_log([this](std::size_t) { ++progress_steps; });
  }

  int progress_steps = 0;
};

TEST_F(LogTransfer, OnlyEotGivesNoLineWithOneStepAndNothingHandedBack) {
  const LogTransferResult result = transfer();
  EXPECT_EQ(result.failure, LinkFailure::none);
  EXPECT_TRUE(result.lines.empty());
  EXPECT_EQ(progress_steps, 1);
  Strings writes = kOpening;
  writes.insert(writes.end(), {"!", "\r"});
  EXPECT_EQ(line.host_writes(), writes) << line.transcript_text();
  EXPECT_EQ(line.read_requests(), (std::vector<std::size_t>{1, 13, 100}));
}

TEST_F(LogTransfer, UndisturbedTransferSendsTheTableBytesAndKeepsEveryLineAsReceived) {
  model.state.log_lines = {kReceivedBanner, kShortColumnHeader, kReading, "EOT ", "eot", " EOT", "EOTX"};
  const LogTransferResult result = transfer();
  EXPECT_EQ(result.failure, LinkFailure::none);
  Strings writes = kOpening;
  for (const std::string& text : model.state.log_lines) writes.insert(writes.end(), {"!", "\r", text, "\r"});
  writes.insert(writes.end(), {"!", "\r"});
  EXPECT_EQ(line.host_writes(), writes) << line.transcript_text();
  EXPECT_EQ(result.lines, model.state.log_lines) << "only the line \"EOT\" ends the log";
  EXPECT_EQ(progress_steps, 8);
}

TEST_F(LogTransfer, RefusedLineIsAskedForAgainWithOneMoreStep) {
  model.state.log_lines = {"first", "second"};
  model.faults.refuse_log_line = 1;
  const LogTransferResult result = transfer();
  EXPECT_EQ(result.failure, LinkFailure::none);
  EXPECT_EQ(result.lines, (Strings{"first", "second"}));
  EXPECT_EQ(progress_steps, 4);
  Strings expected = kOpening;
  expected.insert(expected.end(), {"!", "\r", "first", "\r", "!", "\r", "first", "\r", "!", "\r", "second", "\r",
                                   "!", "\r"});
  EXPECT_EQ(line.host_writes(), expected);
}

TEST_F(LogTransfer, HundredByteReadGivesNinetyEightCharacters) {
  const std::string longest(98, 'L');
  model.state.log_lines = {longest};
  ASSERT_EQ(transfer().lines, Strings{longest});
  const FakeTransfer& line_read = line.transcript()[8];
  EXPECT_EQ(line_read.requested, 100u);
  EXPECT_EQ(line_read.bytes.size(), 100u);
  EXPECT_EQ(line.host_writes()[6], longest);
}

TEST_F(LogTransfer, NulInALineEndsItsTextButTheLineGoesBackWhole) {
  const std::string with_nul("AB\0CD", 5);
  line.attach_script({"!", "\nGET LOG DATA", kStx + with_nul + kEtx, "!", kStx + "EOT" + kEtx});
  const LogTransferResult result = transfer();
  ASSERT_EQ(result.failure, LinkFailure::none);
  EXPECT_EQ(result.lines, Strings{"AB"});
  EXPECT_EQ(line.host_writes()[6], with_nul);
}

TEST_F(LogTransfer, SilenceAfterTenLinesFailsAsSilenceAndKeepsExactlyTheTenLines) {
  model.state.log_lines = numbered_lines("new ", 20);
  model.faults.silent_after_log_lines = 10;
  const LogTransferResult result = transfer();
  EXPECT_EQ(result.failure, LinkFailure::silence) << "silence counts from the last line acknowledged";
  EXPECT_EQ(result.lines, numbered_lines("new ", 10));
  EXPECT_EQ(progress_steps, 11);
  const FakeTransfer& last = line.transcript().back();
  EXPECT_EQ(last.requested, 100u);
  EXPECT_EQ(line.elapsed_us() - last.start_us, 40400000) << "an empty 100-byte read waits 40.4 s";
}

TEST_F(LogTransfer, FiftyFirstFailedAcknowledgementEndsTheTransfer) {
  struct Case {
    int refusals;
    LinkFailure failure;
    Strings kept;
    int steps;
  };
  const Case cases[] = {{50, LinkFailure::none, {"a", "b"}, 53}, {51, LinkFailure::garbled, {}, 51}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusals);
    SetUp();
    progress_steps = 0;
    model.state.log_lines = {"a", "b"};
    model.faults.refuse_log_line = c.refusals;
    const LogTransferResult result = transfer();
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.lines, c.kept) << "an unacknowledged line is not kept";
    EXPECT_EQ(progress_steps, c.steps);
  }
}

// Fifty failures use the whole budget: the next arrival fails whatever comes.
TEST_F(LogTransfer, AttentionAndEchoHaveBudgetsOfFifty) {
  struct Case {
    std::function<void(InstrumentFaults&)> arrange;
    LinkFailure failure;
    long attention_bytes;
  };
  const Case cases[] = {
      {[](InstrumentFaults& f) { f.ignore_attention = 49; }, LinkFailure::none, 50},
      // The fifty-first attention byte is answered, too late: no silence.
      {[](InstrumentFaults& f) { f.ignore_attention = 50; }, LinkFailure::garbled, 51},
      {[](InstrumentFaults& f) { f.corrupt_echo = 49; }, LinkFailure::none, 50},
      {[](InstrumentFaults& f) { f.corrupt_echo = 50; }, LinkFailure::garbled, 51},
  };
  for (const Case& c : cases) {
    SetUp();
    model.state.log_lines = {kReading};
    c.arrange(model.faults);
    EXPECT_EQ(transfer().failure, c.failure);
    Strings writes = line.host_writes();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "?"), c.attention_bytes);
  }
}

TEST_F(LogTransfer, FailedTransferKeepsExactlyTheLinesAcknowledgedAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<void(InstrumentModel&, FakeSerialLine&)> arrange;
    LinkFailure failure;
    Strings kept;
  };
  const Case cases[] = {
      {"silent", [](InstrumentModel& m, FakeSerialLine&) { m.faults.silent = true; }, LinkFailure::silence, {}},
      {"silent after 3", [](InstrumentModel& m, FakeSerialLine&) { m.faults.silent_after_log_lines = 3; },
       LinkFailure::silence, numbered_lines("new ", 3)},
      {"platform read failure", [](InstrumentModel&, FakeSerialLine& l) { l.fail_read_after(6); },
       LinkFailure::port_failed, numbered_lines("new ", 2)},
      {"platform write failure", [](InstrumentModel&, FakeSerialLine& l) { l.fail_write_after(11); },
       LinkFailure::port_failed, numbered_lines("new ", 1)},
      {"line read bringing one byte", [](InstrumentModel&, FakeSerialLine& l) {
         l.attach_script({"!", "\nGET LOG DATA", kStx});
       },
       LinkFailure::garbled, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    model.state.log_lines = numbered_lines("new ", 8);
    c.arrange(model, line);
    const LogTransferResult result = transfer();
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.lines, c.kept) << line.transcript_text();
  }
}

TEST_F(LogTransfer, LogLongerThanAThousandLinesLosesNoLine) {
  model.state.log_lines = numbered_lines("05/23/08 1432   A", 1500);
  EXPECT_EQ(transfer().lines, model.state.log_lines);
  EXPECT_EQ(progress_steps, 1501);
}

TEST_F(LogTransfer, EmptyProgressCallbackIsAllowed) {
  model.state.log_lines = {kReading};
  EXPECT_EQ(link->transfer_log(nullptr).lines, Strings{kReading});
}

}  // namespace
