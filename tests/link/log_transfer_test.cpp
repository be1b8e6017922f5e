// The log transfer byte for byte, and what it leaves in the log line store:
// the readers (log list, CSV export) see exactly the store under its reading
// rule, so every test checks the store as they would read it.

#include "link/log_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "link/log_store.h"
#include "link/transaction.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/link/log_lines.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);
const Strings kOpening{"?", "\r", "GET LOG DATA", "\r"};
const std::string kReading = "05/23/08 1432   A00017       125    OK";

class LogTransfer : public testing::Test {
 protected:
  void SetUp() override {
    fake_port_reset();
    model = InstrumentModel();
    model.state = default_instrument_state();
    fake_port_attach(&model);
    serial_port_open("COM1");
    store_log_lines({});
  }

  const char* transfer() {
    return run_log_transfer([this](std::size_t) { ++progress_steps; });
  }

  InstrumentModel model;
  int progress_steps = 0;
};

TEST_F(LogTransfer, OnlyEotStoresEotInSlotZeroWithOneStepAndNothingHandedBack) {
  store_log_lines({"old line"});
  EXPECT_STREQ(transfer(), "Done");
  EXPECT_EQ(log_store_line(0), "EOT");
  EXPECT_EQ(log_store_line_count(), 0u);
  EXPECT_EQ(progress_steps, 1);
  Strings writes = kOpening;
  writes.insert(writes.end(), {"!", "\r"});
  EXPECT_EQ(fake_port_host_writes(), writes) << fake_port_transcript_text();
  EXPECT_EQ(fake_port_read_requests(), (std::vector<std::size_t>{1, 13, 100}));
}

TEST_F(LogTransfer, UndisturbedTransferSendsTheTableBytesAndStoresHeadingsInFixedForm) {
  model.state.log_lines = {kReceivedBanner, kShortColumnHeader, kReading};
  EXPECT_STREQ(transfer(), kTransferDone);
  Strings writes = kOpening;
  for (const std::string& line : model.state.log_lines) writes.insert(writes.end(), {"!", "\r", line, "\r"});
  writes.insert(writes.end(), {"!", "\r"});
  EXPECT_EQ(fake_port_host_writes(), writes) << fake_port_transcript_text();
  EXPECT_EQ(store_lines(), (Strings{kBannerLine, kLongColumnHeader, kReading}));
  EXPECT_EQ(log_store_line(3), "EOT");
  EXPECT_EQ(progress_steps, 4);
}

TEST_F(LogTransfer, OnlyTheExactHeadingsAreReplacedAndEveryLineGoesBackAsReceived) {
  struct Case {
    std::string received;
    std::string stored;
  };
  const Case cases[] = {
      {"  719   VER. 3.1", " 719   VER. 3.1"},
      {" 719   VER. 3.1", " 719   VER. 3.1"},
      {"  719   VER. 3.1 ", "  719   VER. 3.1 "},
      {"  719   ver. 3.1", "  719   ver. 3.1"},
      {std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS ",
       std::string(28, ' ') + "LOC." + std::string(9, ' ') + "PPM" + std::string(5, ' ') + "STATUS"},
      {std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS",
       std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS"},
      {kLongColumnHeader, kLongColumnHeader},
  };
  EXPECT_EQ(std::string(kLongColumnHeader).size(), 55u);
  for (const Case& c : cases) model.state.log_lines.push_back(c.received);
  EXPECT_STREQ(transfer(), kTransferDone);
  Strings stored = store_lines();
  Strings writes = fake_port_host_writes();
  ASSERT_EQ(stored.size(), std::size(cases));
  ASSERT_GE(writes.size(), kOpening.size() + 4 * std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(stored[i], cases[i].stored) << i;
    EXPECT_EQ(writes[kOpening.size() + 4 * i + 2], cases[i].received) << i;
  }
}

TEST_F(LogTransfer, EotVariantsAreOrdinaryLines) {
  model.state.log_lines = {"EOT ", "eot", " EOT", "EOTX"};
  EXPECT_STREQ(transfer(), kTransferDone);
  EXPECT_EQ(store_lines(), model.state.log_lines);
  Strings writes = fake_port_host_writes();
  for (const std::string& line : model.state.log_lines) {
    EXPECT_EQ(std::count(writes.begin(), writes.end(), line), 1) << line << " must be handed back";
  }
  EXPECT_EQ(progress_steps, 5);
}

TEST_F(LogTransfer, RefusedLineIsRefilledIntoTheSameSlotWithOneMoreStep) {
  model.state.log_lines = {"first", "second"};
  model.faults.refuse_log_line = 1;
  EXPECT_STREQ(transfer(), kTransferDone);
  EXPECT_EQ(store_lines(), (Strings{"first", "second"}));
  EXPECT_EQ(progress_steps, 4);
  Strings expected = kOpening;
  expected.insert(expected.end(), {"!", "\r", "first", "\r", "!", "\r", "first", "\r", "!", "\r", "second", "\r",
                                   "!", "\r"});
  EXPECT_EQ(fake_port_host_writes(), expected);
}

TEST_F(LogTransfer, HundredByteReadGivesNinetyEightCharacters) {
  const std::string longest(98, 'L');
  model.state.log_lines = {longest};
  ASSERT_STREQ(transfer(), kTransferDone);
  EXPECT_EQ(store_lines(), Strings{longest});
  const FakeTransfer& line_read = fake_port_transcript()[8];
  EXPECT_EQ(line_read.requested, 100u);
  EXPECT_EQ(line_read.bytes.size(), 100u);
  EXPECT_EQ(fake_port_host_writes()[6], longest);
}

TEST_F(LogTransfer, NulInALineEndsItsTextButTheLineGoesBackWhole) {
  const std::string with_nul("AB\0CD", 5);
  fake_port_attach_script({"!", "\nGET LOG DATA", kStx + with_nul + kEtx, "!", kStx + "EOT" + kEtx});
  ASSERT_STREQ(transfer(), kTransferDone);
  EXPECT_EQ(store_lines(), Strings{"AB"});
  EXPECT_EQ(fake_port_host_writes()[6], with_nul);
}

TEST_F(LogTransfer, SilenceAfterTenLinesFailsAndKeepsExactlyTheTenLines) {
  store_log_lines(numbered_lines("earlier ", 30));
  model.state.log_lines = numbered_lines("new ", 20);
  model.faults.silent_after_log_lines = 10;
  EXPECT_EQ(transfer(), kFailureMarker) << "failure is recognised by identity";
  EXPECT_EQ(store_lines(), numbered_lines("new ", 10));
  EXPECT_EQ(log_store_line(10), "EOT");
  EXPECT_EQ(progress_steps, 11);
  const FakeTransfer& last = fake_port_transcript().back();
  EXPECT_EQ(last.requested, 100u);
  EXPECT_EQ(fake_port_elapsed_us() - last.start_us, 40400000) << "an empty 100-byte read waits 40.4 s";
}

TEST_F(LogTransfer, FiftyFirstFailedAcknowledgementEndsTheTransfer) {
  struct Case {
    int refusals;
    const char* result;
    Strings stored;
    int steps;
  };
  const Case cases[] = {{50, kTransferDone, {"a", "b"}, 53}, {51, kFailureMarker, {}, 51}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusals);
    SetUp();
    progress_steps = 0;
    model.state.log_lines = {"a", "b"};
    model.faults.refuse_log_line = c.refusals;
    EXPECT_STREQ(transfer(), c.result);
    EXPECT_EQ(store_lines(), c.stored) << "an unacknowledged line is not kept";
    EXPECT_EQ(progress_steps, c.steps);
  }
}

// Fifty failures use the whole budget: the next arrival fails whatever comes.
TEST_F(LogTransfer, AttentionAndEchoHaveBudgetsOfFifty) {
  struct Case {
    std::function<void(InstrumentFaults&)> arrange;
    const char* result;
    long attention_bytes;
  };
  const Case cases[] = {
      {[](InstrumentFaults& f) { f.ignore_attention = 49; }, kTransferDone, 50},
      {[](InstrumentFaults& f) { f.ignore_attention = 50; }, kFailureMarker, 51},
      {[](InstrumentFaults& f) { f.corrupt_echo = 49; }, kTransferDone, 50},
      {[](InstrumentFaults& f) { f.corrupt_echo = 50; }, kFailureMarker, 51},
  };
  for (const Case& c : cases) {
    SetUp();
    model.state.log_lines = {kReading};
    c.arrange(model.faults);
    EXPECT_STREQ(transfer(), c.result);
    Strings writes = fake_port_host_writes();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "?"), c.attention_bytes);
  }
}

// A failed transfer must not leave lines of an earlier download readable
// behind the new ones: the list and the export would show them as this log.
TEST_F(LogTransfer, FailedTransferNeverShowsAnEarlierDownload) {
  struct Case {
    const char* name;
    std::function<void(InstrumentModel&)> arrange;
    Strings kept;
  };
  const Case cases[] = {
      {"no port", [](InstrumentModel&) { serial_port_close(); }, {}},
      {"silent", [](InstrumentModel& m) { m.faults.silent = true; }, {}},
      {"wrong echoes", [](InstrumentModel& m) { m.faults.corrupt_echo = 50; }, {}},
      {"silent after 3", [](InstrumentModel& m) { m.faults.silent_after_log_lines = 3; }, numbered_lines("new ", 3)},
      {"platform read failure", [](InstrumentModel&) { fake_port_fail_read_after(6); }, numbered_lines("new ", 2)},
      {"platform write failure", [](InstrumentModel&) { fake_port_fail_write_after(11); }, numbered_lines("new ", 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    store_log_lines(numbered_lines("earlier ", 40));
    model.state.log_lines = numbered_lines("new ", 8);
    c.arrange(model);
    EXPECT_EQ(transfer(), kFailureMarker) << "failure is recognised by identity";
    EXPECT_EQ(store_lines(), c.kept) << fake_port_transcript_text();
    EXPECT_EQ(log_store_line(c.kept.size()), "EOT");
  }
}

TEST_F(LogTransfer, LogLongerThanAThousandLinesLosesNoLine) {
  model.state.log_lines = numbered_lines("05/23/08 1432   A", 1500);
  EXPECT_STREQ(transfer(), kTransferDone);
  EXPECT_EQ(store_lines(), model.state.log_lines);
  EXPECT_EQ(progress_steps, 1501);
}

TEST_F(LogTransfer, LineReadBringingOneByteFailsAndStoresNothing) {
  store_log_lines({"earlier"});
  fake_port_attach_script({"!", "\nGET LOG DATA", kStx});
  EXPECT_EQ(transfer(), kFailureMarker) << "failure is recognised by identity";
  EXPECT_TRUE(store_lines().empty());
  EXPECT_EQ(fake_port_host_writes().size(), 6u) << "nothing is handed back";
}

TEST_F(LogTransfer, EmptyProgressCallbackIsAllowed) {
  model.state.log_lines = {kReading};
  EXPECT_STREQ(run_log_transfer(nullptr), kTransferDone);
  EXPECT_EQ(store_lines(), Strings{kReading});
}

}  // namespace
