// Waiting and cancelling: the wait hook runs while the link waits for the
// line, and a cancel ends a transaction or a log transfer at once, keeping
// exactly the log lines that the instrument acknowledged.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/fakes/instrument_fixtures.h"
#include "tests/fakes/numbered_lines.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);

class LinkCancel : public OpenLinkTest {
 protected:
  // The transcript from the first call that the cancel ended (inclusive).
  std::vector<FakeTransfer> calls_from_the_cancel() const {
    const std::vector<FakeTransfer>& transcript = line.transcript();
    for (std::size_t i = 0; i < transcript.size(); ++i) {
      if (transcript[i].cancelled) return {transcript.begin() + static_cast<long>(i), transcript.end()};
    }
    return {};
  }
};

TEST_F(LinkCancel, SilentInstrumentQueryCallsTheWaitHookEveryFiftyMillisecondsThroughout) {
  model.faults.silent = true;
  std::vector<std::int64_t> moments;
  line.on_wait([this, &moments] { moments.push_back(line.elapsed_us()); });

  EXPECT_FALSE(query("GET USER ID").succeeded());

  // Sixteen empty 1-byte reads of 800 ms, and the writes between them.
  const std::int64_t total_us = line.elapsed_us();
  ASSERT_GT(total_us, 12'800'000);
  ASSERT_FALSE(moments.empty());
  EXPECT_EQ(0, moments.front());
  EXPECT_GT(moments.back(), total_us - kFakeWaitHookIntervalUs);
  for (std::size_t i = 1; i < moments.size(); ++i) {
    ASSERT_EQ(kFakeWaitHookIntervalUs, moments[i] - moments[i - 1]) << "a wait without the hook at " << moments[i - 1];
  }
}

struct CancelledTransactionCase {
  const char* name;
  void (*arrange)(InstrumentModel& model);
  TransactionResult (*run)(InstrumentLink& link);
};

TEST_F(LinkCancel, CancelInTheMiddleOfAWaitEndsATransactionAtOnceWithNothingMoreSent) {
  const CancelledTransactionCase cases[] = {
      {"query, silent instrument", [](InstrumentModel& m) { m.faults.silent = true; },
       [](InstrumentLink& l) { return l.query("GET USER ID"); }},
      {"order, closing reply never comes", [](InstrumentModel& m) { m.faults.drop_order_closing = 1; },
       [](InstrumentLink& l) { return l.order("SET USER ID 7"); }},
  };
  constexpr std::int64_t kCancelAtUs = 2'000'000;
  for (const CancelledTransactionCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange(model);
    line.on_wait([this] {
      if (line.elapsed_us() >= kCancelAtUs) cancel.request();
    });

    EXPECT_EQ(c.run(*link).failure, LinkFailure::cancelled);

    EXPECT_EQ(kCancelAtUs, line.elapsed_us()) << "the waiting read ends at the cancel";
    const std::vector<FakeTransfer> rest = calls_from_the_cancel();
    ASSERT_EQ(1u, rest.size()) << line.transcript_text();
    EXPECT_EQ(FakeDirection::host_read, rest[0].direction);
  }
}

TEST_F(LinkCancel, CancelledTransferKeepsExactlyTheAcknowledgedLines) {
  const Strings log = numbered_lines("reading ", 12);
  constexpr int kAcknowledged = 5;
  const Strings expected(log.begin(), log.begin() + kAcknowledged);

  struct Case {
    const char* name;
    bool cancel_at_the_line_boundary;  // else while the next line's read waits
  };
  for (const Case& c : {Case{"at a line boundary", true}, Case{"in the middle of a line read", false}}) {
    SCOPED_TRACE(c.name);
    SetUp();
    model.state.log_lines = log;
    int line_exchanges = 0;
    if (!c.cancel_at_the_line_boundary) {
      line.on_wait([this] {
        // The request for the next line has gone out: its read is waiting.
        if (model.log_lines_acknowledged == kAcknowledged && model.stage == ModelStage::awaiting_log_hand_back) {
          cancel.request();
        }
      });
    }

    const LogTransferResult result = link->transfer_log([this, &line_exchanges, &c](std::size_t) {
      if (++line_exchanges == kAcknowledged + 1 && c.cancel_at_the_line_boundary) cancel.request();
    });

    EXPECT_EQ(result.failure, LinkFailure::cancelled);
    EXPECT_EQ(expected, result.lines);
    EXPECT_EQ(kAcknowledged, model.log_lines_acknowledged);
    const std::vector<FakeTransfer> rest = calls_from_the_cancel();
    if (c.cancel_at_the_line_boundary) {
      EXPECT_TRUE(rest.empty()) << "the cancel came before the next request: nothing was waiting";
      EXPECT_EQ("\r", line.host_writes().back()) << "the last write handed back line " << kAcknowledged;
    } else {
      ASSERT_EQ(1u, rest.size()) << line.transcript_text();
      EXPECT_EQ(100u, rest[0].requested);
    }
  }
}

TEST_F(LinkCancel, LineHandedBackButNotYetAcknowledgedIsNotKept) {
  line.attach_script({"!", "\nGET LOG DATA", kStx + "first" + kEtx, "!", kStx + "second" + kEtx});
  // The second line is handed back; its acknowledgement never comes.
  line.on_wait([this] {
    const Strings writes = line.host_writes();
    if (writes.size() == 12 && writes[10] == "second") cancel.request();
  });

  const LogTransferResult result = link->transfer_log(nullptr);

  EXPECT_EQ(result.failure, LinkFailure::cancelled);
  EXPECT_EQ(Strings{"first"}, result.lines);
  const std::vector<FakeTransfer> rest = calls_from_the_cancel();
  ASSERT_EQ(1u, rest.size()) << line.transcript_text();
  EXPECT_EQ(1u, rest[0].requested);
}

TEST_F(LinkCancel, EveryCallFailsBeforeItStartsWhileTheCancelStands) {
  cancel.request();
  char buffer[4];
  EXPECT_FALSE(port->write("?", 1));
  EXPECT_EQ(-1, port->read(buffer, sizeof buffer));
  EXPECT_EQ(query("GET USER ID").failure, LinkFailure::cancelled);
  EXPECT_TRUE(line.transcript().empty());
  EXPECT_EQ(0, line.elapsed_us());

  cancel.clear();
  EXPECT_TRUE(query("GET USER ID").succeeded());
}

}  // namespace
