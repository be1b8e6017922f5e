// The data log as the instrument core downloads and erases it: how each
// download ends, what it leaves to read back, and the erase's confirmation.

#include "instrument/data_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/link_cancel.h"
#include "link/log_transfer.h"
#include "tests/fakes/connected_instrument.h"
#include "tests/link/log_lines.h"

namespace {

using Lines = std::vector<std::string>;

class InstrumentDataLog : public ConnectedInstrumentTest {
 protected:
  void SetUp() override {
    ConnectedInstrumentTest::SetUp();
    store_log_lines({"a line of an earlier download"});
    model.state.log_lines = numbered_lines("05/23/08 1432   A00017       12", 6);
  }
};

TEST_F(InstrumentDataLog, CompleteDownloadReadsBackEveryLineAndCountsThemAsTheyCome) {
  model.state.log_lines.insert(model.state.log_lines.begin(), kReceivedBanner);
  std::vector<std::size_t> counts;
  EXPECT_EQ(download_data_log([&counts](std::size_t lines) { counts.push_back(lines); }), DownloadOutcome::complete);

  Lines expected = model.state.log_lines;
  expected[0] = kBannerLine;  // the stored form
  EXPECT_EQ(downloaded_log_lines(), expected);
  EXPECT_EQ(counts, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(InstrumentDataLog, InstrumentFallingSilentFailsAndKeepsTheLinesAcknowledged) {
  model.faults.silent_after_log_lines = 4;
  EXPECT_EQ(download_data_log(nullptr), DownloadOutcome::failed);
  EXPECT_EQ(downloaded_log_lines(), Lines(model.state.log_lines.begin(), model.state.log_lines.begin() + 4));
}

TEST_F(InstrumentDataLog, CancelIsToldApartFromAFailure) {
  EXPECT_EQ(download_data_log([](std::size_t lines) {
              if (lines == 3) link_cancel_request();
            }),
            DownloadOutcome::cancelled);
  EXPECT_EQ(downloaded_log_lines(), Lines(model.state.log_lines.begin(), model.state.log_lines.begin() + 3));
}

TEST_F(InstrumentDataLog, EraseSaysWhetherTheInstrumentConfirmed) {
  EXPECT_TRUE(erase_data_log());
  EXPECT_TRUE(model.state.log_lines.empty());
  model.faults.drop_order_closing = 1;
  EXPECT_FALSE(erase_data_log());
  EXPECT_EQ(model.orders_performed, (Lines{"DO RESET LOG", "DO RESET LOG"}));
}

}  // namespace
