// Print Log over the fake printer: the pages drawn, the dialog disabled
// for the job, the bars, and every failure path.

#include "app/print_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "datalog/log_list.h"
#include "tests/fakes/dialog_fixtures.h"
#include "tests/fakes/numbered_lines.h"
#include "tests/fakes/fake_printer.h"

namespace {

using Lines = std::vector<std::string>;

Lines numbered_items(int count) { return numbered_lines("line ", count); }

// --- Print Log through the fake printer -------------------------------------

class PrintLog : public ConnectedDialogTest {
 protected:
  void SetUp() override {
    ConnectedDialogTest::SetUp();
    fake_printer_reset();
  }

  static void expect_failure_end() {
    EXPECT_TRUE(fake_dialog().dialog_enabled);
    EXPECT_FALSE(fake_printer().device_context_held);
    EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
    EXPECT_EQ(fake_dialog().progress_position, 1000);
    ASSERT_EQ(fake_dialog().boxes.size(), 1u);
    expect_box(fake_dialog().boxes[0], "Print Error", "The data log could not be printed.", BoxIcon::error,
               BoxButtons::ok);
    EXPECT_EQ(std::count(fake_printer().calls.begin(), fake_printer().calls.end(), "end_document"), 0);
  }
};

TEST_F(PrintLog, PrintsListWithSeparatorAndShortHeaderAtDevicePositions) {
  fake_dialog().list_items = {" ", kBannerLine, kLongColumnHeader, "05/23/08 1432   A00017       125    OK"};

  print_log(fake_dialog_handle());

  ASSERT_EQ(fake_printer().documents.size(), 1u);
  const FakePrintDocument& document = fake_printer().documents[0];
  EXPECT_EQ(document.name, "719K Data Log");
  EXPECT_TRUE(document.ended);
  ASSERT_EQ(document.pages.size(), 1u);
  const std::vector<FakePrintedText> expected = {{10, 200, " "},
                                                 {10, 300, kBannerLine},
                                                 {10, 400, kShortColumnHeader},
                                                 {10, 500, "05/23/08 1432   A00017       125    OK"}};
  ASSERT_EQ(document.pages[0].size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(document.pages[0][i].x, expected[i].x);
    EXPECT_EQ(document.pages[0][i].y, expected[i].y);
    EXPECT_EQ(document.pages[0][i].text, expected[i].text);
  }
  EXPECT_EQ(fake_printer().calls,
            (Lines{"dialog", "start_document", "align 0", "start_page", "text", "text", "text", "text", "end_page",
                   "end_document", "release"}));
}

TEST_F(PrintLog, HundredSixteenLinesOnTwoFullPagesAtThreeHundredDpi) {
  fake_dialog().list_items = numbered_items(116);
  fake_printer().resolution = {300, 300};

  print_log(fake_dialog_handle());

  const FakePrintDocument& document = fake_printer().documents.at(0);
  ASSERT_EQ(document.pages.size(), 2u);
  for (const auto& page : document.pages) {
    ASSERT_EQ(page.size(), 58u);
    EXPECT_EQ(page.front().y, 100);
    EXPECT_EQ(page.back().y, 2950);
    EXPECT_EQ(page.front().x, 5);
  }
  EXPECT_EQ(document.pages[1].back().text, "line 115");
}

TEST_F(PrintLog, DisablesDialogForTheJobAndStepsOncePerLine) {
  fake_dialog().list_items = numbered_items(59);
  static std::vector<bool> enabled_at_pages;
  enabled_at_pages.clear();
  fake_printer().while_page_printed = [] { enabled_at_pages.push_back(fake_dialog().dialog_enabled); };

  print_log(fake_dialog_handle());

  EXPECT_EQ(enabled_at_pages, (std::vector<bool>{false, false}));
  EXPECT_TRUE(fake_dialog().dialog_enabled);
  Lines expected = {"range 0", "range 1000", "step 1"};
  expected.insert(expected.end(), 59, "stepit");
  expected.push_back("pos 1000");
  EXPECT_EQ(fake_dialog().progress_calls, expected);
  EXPECT_EQ(fake_dialog().status_history, (Lines{"Printing Data Log...", "Connected"}));
  EXPECT_TRUE(fake_dialog().boxes.empty());
  EXPECT_FALSE(fake_printer().device_context_held);
}

TEST_F(PrintLog, CancelChangesNothing) {
  fake_dialog().list_items = numbered_items(3);
  fake_dialog().texts[IDC_STATUS] = "Disconnected";
  fake_printer().dialog_cancelled = true;

  print_log(fake_dialog_handle());

  EXPECT_EQ(fake_printer().calls, (Lines{"dialog"}));
  EXPECT_TRUE(fake_dialog().progress_calls.empty());
  EXPECT_TRUE(fake_dialog().status_history.empty());
  EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Disconnected");
  EXPECT_TRUE(fake_dialog().dialog_enabled);
  EXPECT_TRUE(fake_dialog().boxes.empty());
}

TEST_F(PrintLog, EmptyListStartsAndEndsDocumentWithoutPage) {
  print_log(fake_dialog_handle());

  EXPECT_EQ(fake_printer().calls, (Lines{"dialog", "start_document", "align 0", "end_document", "release"}));
  EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
  EXPECT_TRUE(fake_dialog().boxes.empty());
}

TEST_F(PrintLog, DocumentThatCannotStartIsReportedAndReleased) {
  fake_dialog().list_items = numbered_items(3);
  fake_printer().fail_start_document = true;

  print_log(fake_dialog_handle());

  EXPECT_EQ(fake_printer().calls, (Lines{"dialog", "start_document", "release"}));
  expect_failure_end();
}

TEST_F(PrintLog, PageThatCannotStartStopsThePrint) {
  fake_dialog().list_items = numbered_items(100);
  fake_printer().failing_start_page_number = 2;

  print_log(fake_dialog_handle());

  EXPECT_EQ(fake_printer().documents.at(0).pages.size(), 1u);
  EXPECT_EQ(fake_dialog().progress_steps, 58);
  EXPECT_EQ(fake_printer().calls.back(), "release");
  expect_failure_end();
}

TEST_F(PrintLog, PageThatCannotEndStopsThePrint) {
  fake_dialog().list_items = numbered_items(100);
  fake_printer().failing_end_page_number = 1;

  print_log(fake_dialog_handle());

  EXPECT_EQ(std::count(fake_printer().calls.begin(), fake_printer().calls.end(), "start_page"), 1);
  expect_failure_end();
}

}  // namespace
