// The data log as the instrument core downloads and erases it: how each
// download ends and what it keeps, why it failed, and the erase's
// confirmation.

#include "instrument/data_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datalog/log_list.h"
#include "tests/fakes/instrument_fixtures.h"
#include "tests/fakes/numbered_lines.h"

namespace {

using Lines = std::vector<std::string>;

class InstrumentDataLog : public OpenInstrumentTest {
 protected:
  void SetUp() override {
    OpenInstrumentTest::SetUp();
    model.state.log_lines = numbered_lines("05/23/08 1432   A00017       12", 6);
  }

  Lines first_lines(std::size_t count) const {
    return Lines(model.state.log_lines.begin(), model.state.log_lines.begin() + static_cast<std::ptrdiff_t>(count));
  }
};

TEST_F(InstrumentDataLog, CompleteDownloadKeepsEveryLineAsReceivedAndCountsThemAsTheyCome) {
  model.state.log_lines.insert(model.state.log_lines.begin(), {kReceivedBanner, kShortColumnHeader});
  std::vector<std::size_t> counts;
  const DataLogDownload download =
      download_data_log(*instrument, [&counts](std::size_t lines) { counts.push_back(lines); });
  EXPECT_EQ(download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(download.lines, model.state.log_lines) << "the banner and header as the instrument sent them";
  EXPECT_EQ(counts, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(instrument->last_failure(), LinkFailure::none);
}

TEST_F(InstrumentDataLog, EveryWayOfEndingEarlyKeepsTheLinesAcknowledgedAndSaysWhy) {
  constexpr std::size_t kNever = ~std::size_t{0};
  struct Case {
    const char* name;
    void (*arrange)(InstrumentModel& model, FakeSerialLine& line);
    std::size_t cancel_once_lines_received;
    DownloadOutcome outcome;
    LinkFailure failure;
    std::size_t lines_kept;
  };
  const Case cases[] = {
      {"falls silent", [](InstrumentModel& m, FakeSerialLine&) { m.faults.silent_after_log_lines = 4; }, kNever,
       DownloadOutcome::failed, LinkFailure::silence, 4},
      {"refuses every acknowledgement", [](InstrumentModel& m, FakeSerialLine&) { m.faults.refuse_log_line = 1000; },
       kNever, DownloadOutcome::failed, LinkFailure::garbled, 0},
      // The opening's two reads and two for each of three lines.
      {"port fails", [](InstrumentModel&, FakeSerialLine& l) { l.fail_read_after(8); }, kNever,
       DownloadOutcome::failed, LinkFailure::port_failed, 3},
      {"cancelled", [](InstrumentModel&, FakeSerialLine&) {}, 2, DownloadOutcome::cancelled, LinkFailure::cancelled,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange(model, line);
    const DataLogDownload download = download_data_log(*instrument, [this, &c](std::size_t lines) {
      if (lines == c.cancel_once_lines_received) cancel.request();
    });
    EXPECT_EQ(download.outcome, c.outcome);
    EXPECT_EQ(instrument->last_failure(), c.failure);
    EXPECT_EQ(download.lines, first_lines(c.lines_kept)) << line.transcript_text();
  }
}

TEST_F(InstrumentDataLog, EraseSaysWhetherTheInstrumentConfirmed) {
  EXPECT_TRUE(erase_data_log(*instrument));
  EXPECT_TRUE(model.state.log_lines.empty());
  model.faults.drop_order_closing = 1;
  EXPECT_FALSE(erase_data_log(*instrument));
  EXPECT_EQ(instrument->last_failure(), LinkFailure::unconfirmed);
  EXPECT_EQ(model.orders_performed, (Lines{"DO RESET LOG", "DO RESET LOG"}));
}

}  // namespace
