// Download Log and Erase Instrument Data over the fake dialog, against the
// instrument model: the list, the enable sets, the boxes and the bars.

#include "app/data_log_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "datalog/log_list.h"
#include "tests/fakes/dialog_fixtures.h"
#include "tests/fakes/numbered_lines.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kBanner = kBannerLine;
const std::string kLongHeader = kLongColumnHeader;

// --- Download Log and Erase against the instrument model -------------------

class LogDownload : public ConnectedDialogTest {
 protected:
  static Lines readings(int count, const char* status) {
    Lines lines;
    for (int i = 0; i < count; ++i) {
      lines.push_back("05/23/08 14" + std::to_string(10 + i) + "   A000" + std::to_string(10 + i) + "       125    " +
                      status);
    }
    return lines;
  }
};

TEST_F(LogDownload, ShowsStoredFormsWithSeparatorsInOneBatchAndEnablesExportAndPrint) {
  model.state.log_lines = {"  719   VER. 3.1", kShortColumnHeader, " I...............000123", "05/23/08 1432 OK",
                           "  719   VER. 3.1", "05/24/08 0900 OK"};

  download_log(fake_dialog_handle());

  EXPECT_EQ(fake_dialog().list_items,
            (Lines{" ", kBanner, kLongHeader, " I...............000123", "05/23/08 1432 OK", " ", kBanner,
                   "05/24/08 0900 OK"}));
  EXPECT_EQ(fake_dialog().list_append_batches, 1);
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_EXPORT_LOG));
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_PRINT_LOG));
  EXPECT_TRUE(fake_dialog().boxes.empty());
}

TEST_F(LogDownload, StepsOncePerLineExchangeAndEndsFullAndConnected) {
  model.state.log_lines = readings(5, "OK");

  download_log(fake_dialog_handle());

  std::vector<std::string> expected = {"range 0", "range 1000", "step 1"};
  expected.insert(expected.end(), 6, "stepit");  // five lines and "EOT"
  expected.push_back("pos 1000");
  EXPECT_EQ(fake_dialog().progress_calls, expected);
  EXPECT_EQ(fake_dialog().status_history, (Lines{"Downloading Data Log...", "Connected"}));
}

TEST_F(LogDownload, OnlyEotGivesEmptyListButEnablesExportAndPrint) {
  fake_dialog().list_items = {"left from before"};

  download_log(fake_dialog_handle());

  EXPECT_TRUE(fake_dialog().list_items.empty());
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_EXPORT_LOG));
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_PRINT_LOG));
  EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
}

TEST_F(LogDownload, OnlyExactEotEndsTheList) {
  model.state.log_lines = {"EOT ", "eot", "05/23/08 1432 OK", "EOT", "never requested"};

  download_log(fake_dialog_handle());

  EXPECT_EQ(fake_dialog().list_items, (Lines{"EOT ", "eot", "05/23/08 1432 OK"}));
}

TEST_F(LogDownload, SecondDownloadShowsOnlyTheSecondLog) {
  model.state.log_lines = readings(4, "FIRST");
  download_log(fake_dialog_handle());
  model.state.log_lines = readings(2, "SECOND");

  download_log(fake_dialog_handle());

  EXPECT_EQ(fake_dialog().list_items, readings(2, "SECOND"));
}

TEST_F(LogDownload, FailedTransferShowsLinesReceivedNeverEarlierOnesAndTellsOperator) {
  model.state.log_lines = readings(10, "EARLIER");
  download_log(fake_dialog_handle());
  ASSERT_EQ(fake_dialog().list_items.size(), 10u);
  model.state.log_lines = readings(6, "NEW");
  model.faults.silent_after_log_lines = 3;
  static Lines list_when_box_shown;
  fake_dialog().while_box_shown = [](const FakeMessageBox&) { list_when_box_shown = fake_dialog().list_items; };

  download_log(fake_dialog_handle());

  const Lines received = {readings(6, "NEW")[0], readings(6, "NEW")[1], readings(6, "NEW")[2]};
  EXPECT_EQ(fake_dialog().list_items, received);
  EXPECT_EQ(list_when_box_shown, received) << "the list is filled before the operator is told";
  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  expect_box(fake_dialog().boxes[0], "Communications Error",
             "The data log download did not complete. The list shows the lines received before the instrument "
             "stopped answering.",
             BoxIcon::warning, BoxButtons::ok);
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_EXPORT_LOG));
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_PRINT_LOG));
  EXPECT_EQ(fake_dialog().progress_position, 1000);
  EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
}

TEST_F(LogDownload, EraseAsksWithNoAsDefaultAndSendsNothingOnNo) {
  model.state.log_lines = readings(3, "KEPT");
  download_log(fake_dialog_handle());
  close_dialog_connection();
  line = FakeSerialLine();
  line.attach(&model);
  ASSERT_TRUE(open_dialog_connection("COM1"));
  const std::size_t progress_calls = fake_dialog().progress_calls.size();
  fake_dialog().scripted_answers = {BoxAnswer::no};

  erase_instrument_data(fake_dialog_handle());

  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  expect_box(fake_dialog().boxes[0], "Erase Instrument Data", "Erase all readings stored in the instrument?",
             BoxIcon::warning, BoxButtons::yes_no_default_no);
  EXPECT_EQ(line.host_bytes(), "");
  EXPECT_EQ(model.state.log_lines.size(), 3u);
  EXPECT_EQ(fake_dialog().progress_calls.size(), progress_calls);
}

TEST_F(LogDownload, EraseOnYesResetsInstrumentLogAndLeavesListAndBars) {
  model.state.log_lines = readings(3, "KEPT");
  download_log(fake_dialog_handle());
  const FakeDialog before = fake_dialog();
  fake_dialog().scripted_answers = {BoxAnswer::yes};

  erase_instrument_data(fake_dialog_handle());

  EXPECT_EQ(model.orders_performed, (Lines{"DO RESET LOG"}));
  EXPECT_TRUE(model.state.log_lines.empty());
  EXPECT_EQ(fake_dialog().list_items, before.list_items);
  EXPECT_EQ(fake_dialog().progress_calls, before.progress_calls);
  EXPECT_EQ(fake_dialog().status_history, before.status_history);
  EXPECT_EQ(fake_dialog().boxes.size(), 1u) << "only the question";

  download_log(fake_dialog_handle());
  EXPECT_TRUE(fake_dialog().list_items.empty());
}

TEST_F(LogDownload, EraseNotConfirmedIsReported) {
  model.faults.drop_order_closing = 1;
  fake_dialog().scripted_answers = {BoxAnswer::yes};

  erase_instrument_data(fake_dialog_handle());

  ASSERT_EQ(fake_dialog().boxes.size(), 2u);
  expect_box(fake_dialog().boxes[1], "Communications Error", "The instrument did not confirm the erase.",
             BoxIcon::warning, BoxButtons::ok);
}

}  // namespace
