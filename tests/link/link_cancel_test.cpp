// Waiting and cancelling: the wait hook runs while the link waits for the
// line, and a cancel ends a transaction or a log transfer at once, keeping
// exactly the log lines that the instrument acknowledged.

#include "link/link_cancel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/log_transfer.h"
#include "link/transaction.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/link/log_lines.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);

class LinkCancel : public testing::Test {
 protected:
  void SetUp() override {
    fake_port_reset();
    model.state = default_instrument_state();
    fake_port_attach(&model);
    serial_port_open("COM1");
    // An earlier download that no cancelled one may show.
    store_log_lines(numbered_lines("earlier ", 30));
  }
  void TearDown() override { fake_port_reset(); }

  // The transcript from the first call that the cancel ended (inclusive).
  static std::vector<FakeTransfer> calls_from_the_cancel() {
    const std::vector<FakeTransfer>& transcript = fake_port_transcript();
    for (std::size_t i = 0; i < transcript.size(); ++i) {
      if (transcript[i].cancelled) return {transcript.begin() + static_cast<long>(i), transcript.end()};
    }
    return {};
  }

  InstrumentModel model;
};

TEST_F(LinkCancel, SilentInstrumentQueryCallsTheWaitHookEveryFiftyMillisecondsThroughout) {
  model.faults.silent = true;
  std::vector<std::int64_t> moments;
  fake_port_on_wait([&moments] { moments.push_back(fake_port_elapsed_us()); });

  EXPECT_TRUE(transaction_failed(query("GET USER ID")));

  // Sixteen empty 1-byte reads of 800 ms, and the writes between them.
  const std::int64_t total_us = fake_port_elapsed_us();
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
  const char* (*run)();
};

TEST_F(LinkCancel, CancelInTheMiddleOfAWaitEndsATransactionAtOnceWithNothingMoreSent) {
  const CancelledTransactionCase cases[] = {
      {"query, silent instrument", [](InstrumentModel& m) { m.faults.silent = true; },
       [] { return query("GET USER ID"); }},
      {"order, closing reply never comes", [](InstrumentModel& m) { m.faults.drop_order_closing = 1; },
       [] { return order("SET USER ID 7"); }},
  };
  constexpr std::int64_t kCancelAtUs = 2'000'000;
  for (const CancelledTransactionCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange(model);
    fake_port_on_wait([] {
      if (fake_port_elapsed_us() >= kCancelAtUs) link_cancel_request();
    });

    EXPECT_TRUE(transaction_failed(c.run()));

    EXPECT_EQ(kCancelAtUs, fake_port_elapsed_us()) << "the waiting read ends at the cancel";
    const std::vector<FakeTransfer> rest = calls_from_the_cancel();
    ASSERT_EQ(1u, rest.size()) << fake_port_transcript_text();
    EXPECT_EQ(FakeDirection::host_read, rest[0].direction);
  }
}

TEST_F(LinkCancel, CancelledTransferKeepsExactlyTheAcknowledgedLinesNeverAnEarlierDownload) {
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
      fake_port_on_wait([this] {
        // The request for the next line has gone out: its read is waiting.
        if (model.log_lines_acknowledged == kAcknowledged && model.stage == ModelStage::awaiting_log_hand_back) {
          link_cancel_request();
        }
      });
    }

    const char* result = run_log_transfer([&line_exchanges, &c](std::size_t) {
      if (++line_exchanges == kAcknowledged + 1 && c.cancel_at_the_line_boundary) link_cancel_request();
    });

    EXPECT_TRUE(transaction_failed(result));
    EXPECT_EQ(expected, store_lines());
    EXPECT_EQ(kAcknowledged, model.log_lines_acknowledged);
    const std::vector<FakeTransfer> rest = calls_from_the_cancel();
    if (c.cancel_at_the_line_boundary) {
      EXPECT_TRUE(rest.empty()) << "the cancel came before the next request: nothing was waiting";
      EXPECT_EQ("\r", fake_port_host_writes().back()) << "the last write handed back line " << kAcknowledged;
    } else {
      ASSERT_EQ(1u, rest.size()) << fake_port_transcript_text();
      EXPECT_EQ(100u, rest[0].requested);
    }
  }
}

TEST_F(LinkCancel, LineHandedBackButNotYetAcknowledgedIsNotKept) {
  fake_port_attach_script({"!", "\nGET LOG DATA", kStx + "first" + kEtx, "!", kStx + "second" + kEtx});
  // The second line is handed back; its acknowledgement never comes.
  fake_port_on_wait([] {
    const Strings writes = fake_port_host_writes();
    if (writes.size() == 12 && writes[10] == "second") link_cancel_request();
  });

  EXPECT_TRUE(transaction_failed(run_log_transfer(nullptr)));

  EXPECT_EQ(Strings{"first"}, store_lines());
  const std::vector<FakeTransfer> rest = calls_from_the_cancel();
  ASSERT_EQ(1u, rest.size()) << fake_port_transcript_text();
  EXPECT_EQ(1u, rest[0].requested);
}

TEST_F(LinkCancel, EveryCallFailsBeforeItStartsWhileTheCancelStands) {
  link_cancel_request();
  char buffer[4];
  EXPECT_FALSE(serial_port_write("?", 1));
  EXPECT_EQ(-1, serial_port_read(buffer, sizeof buffer));
  EXPECT_TRUE(transaction_failed(query("GET USER ID")));
  EXPECT_TRUE(fake_port_transcript().empty());
  EXPECT_EQ(0, fake_port_elapsed_us());

  link_cancel_clear();
  EXPECT_FALSE(transaction_failed(query("GET USER ID")));
}

}  // namespace
