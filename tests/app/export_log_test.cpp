// Export Log over the fake save dialog and files: the bytes written, one
// write and one progress step per row, the overwrite question, and every
// failure path.

#include "app/export_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/data_log_panel.h"
#include "datalog/csv.h"
#include "datalog/log_list.h"
#include "tests/fakes/dialog_fixtures.h"
#include "tests/fakes/fake_files.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kHeader = kCsvHeaderLine;

// --- Export Log through the fake save dialog and files ---------------------

// Connected, so that every end shows "Connected"; the export never talks to
// the instrument.
class ExportLog : public ConnectedDialogTest {
 protected:
  void SetUp() override {
    ConnectedDialogTest::SetUp();
    fake_files_reset();
  }

  // The log that Export Log writes, as a Download Log of these lines leaves
  // it; the download's own status and progress are forgotten.
  void downloaded(const Lines& log) {
    model.state.log_lines = log;
    download_log(fake_dialog_handle());
    ASSERT_EQ(downloaded_log_lines(), log);
    fake_dialog().status_history.clear();
    fake_dialog().progress_calls.clear();
    fake_dialog().progress_steps = 0;
  }

  static void export_to(const std::string& path) {
    fake_files().save_dialog_answers.push_back(path);
    export_log(fake_dialog_handle());
  }

  static void expect_ended_connected_full() {
    EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
    EXPECT_EQ(fake_dialog().progress_position, 1000);
    EXPECT_TRUE(fake_files().open_files.empty()) << "a file was left open";
  }
};

const Lines kWorkedExampleLog = {
    kBannerLine,
    " I...............000123",
    " U...............000000042",
    " O...............M1",
    kLongColumnHeader,
    "05/23/08 1432   A00017       125    OK",
};

TEST_F(ExportLog, WorkedExampleByteForByte) {
  downloaded(kWorkedExampleLog);

  export_to("survey.txt");

  EXPECT_EQ(fake_files().files["survey.txt"],
            "Instrument #,User ID #,Mode,Date/Time,Location,PPM,Status\r\n"
            "000123,000000042,\"M1\",05/23/08 1432,A00017, 125,OK\r\n");
  EXPECT_EQ(kHeader.size(), 59u);
  expect_ended_connected_full();
}

TEST_F(ExportLog, EachRowGoesOutWithItsOwnWriteAndOneStepPerDataRow) {
  downloaded({kBannerLine, " I...............1", "a", " skipped", "b", " O...............M", "c"});

  export_to("rows.txt");

  const Lines expected_calls = {"dialog", "create_new rows.txt", "write " + kHeader,
                                "write 1,,\"\",a,,,\r\n", "write 1,,\"\",b,,,\r\n",
                                "write 1,,\"M\",c,,,\r\n", "close rows.txt"};
  EXPECT_EQ(fake_files().calls, expected_calls);
  Lines expected_progress = {"range 0", "range 1000", "step 1", "stepit", "stepit", "stepit", "pos 1000"};
  EXPECT_EQ(fake_dialog().progress_calls, expected_progress);
  EXPECT_EQ(fake_dialog().status_history, (Lines{"Exporting File...", "Connected"}));
}

TEST_F(ExportLog, LogWithoutDataLinesGivesHeaderOnly) {
  downloaded({kBannerLine, " I...............000123", kLongColumnHeader});

  export_to("empty.txt");

  EXPECT_EQ(fake_files().files["empty.txt"], kHeader);
  EXPECT_EQ(fake_dialog().progress_steps, 0);
  expect_ended_connected_full();
}

TEST_F(ExportLog, CancelWritesNothingAndEndsConnected) {
  downloaded(kWorkedExampleLog);

  export_to(kFakeCancel);

  EXPECT_TRUE(fake_files().files.empty());
  EXPECT_TRUE(fake_dialog().boxes.empty());
  expect_ended_connected_full();
}

TEST_F(ExportLog, OverwriteNoGoesBackToDialogAndLeavesExistingFileThenCancel) {
  downloaded(kWorkedExampleLog);
  fake_files().files["old.txt"] = "precious";
  fake_files().save_dialog_answers = {"old.txt", "old.txt", kFakeCancel};
  fake_dialog().scripted_answers = {BoxAnswer::no, BoxAnswer::no};

  export_log(fake_dialog_handle());

  EXPECT_EQ(fake_files().files["old.txt"], "precious");
  EXPECT_EQ(fake_files().save_dialogs_shown, 3);
  ASSERT_EQ(fake_dialog().boxes.size(), 2u);
  for (const FakeMessageBox& box : fake_dialog().boxes) {
    expect_box(box, "Warning", "File Already Exists. Overwrite?", BoxIcon::none, BoxButtons::yes_no);
  }
  expect_ended_connected_full();
}

TEST_F(ExportLog, OverwriteNoThenNewNameCreatesWithoutQuestion) {
  downloaded(kWorkedExampleLog);
  fake_files().files["old.txt"] = "precious";
  fake_files().save_dialog_answers = {"old.txt", "new.txt"};
  fake_dialog().scripted_answers = {BoxAnswer::no};

  export_log(fake_dialog_handle());

  EXPECT_EQ(fake_files().files["old.txt"], "precious");
  EXPECT_EQ(fake_files().files["new.txt"].compare(0, kHeader.size(), kHeader), 0);
  EXPECT_EQ(fake_dialog().boxes.size(), 1u);
}

TEST_F(ExportLog, OverwriteYesReplacesWholeContent) {
  downloaded(kWorkedExampleLog);
  fake_files().files["old.txt"] = std::string(5000, 'x');
  fake_dialog().scripted_answers = {BoxAnswer::yes};

  export_to("old.txt");

  EXPECT_EQ(fake_files().files["old.txt"],
            kHeader + "000123,000000042,\"M1\",05/23/08 1432,A00017, 125,OK\r\n");
  expect_ended_connected_full();
}

TEST_F(ExportLog, CannotCreateShowsErrorWritesNothing) {
  downloaded(kWorkedExampleLog);
  fake_files().uncreatable_paths = {"locked.txt"};

  export_to("locked.txt");

  EXPECT_EQ(fake_files().writes, 0);
  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  expect_box(fake_dialog().boxes[0], "File Access Error", "Cannot Create File", BoxIcon::error, BoxButtons::ok);
  expect_ended_connected_full();
}

TEST_F(ExportLog, ReplaceThatFailsShowsCannotCreate) {
  downloaded(kWorkedExampleLog);
  fake_files().files["locked.txt"] = "old";
  fake_dialog().scripted_answers = {BoxAnswer::yes};
  fake_files().save_dialog_answers = {"locked.txt"};
  // The file exists; by the time the operator says Yes it cannot be replaced.
  fake_dialog().while_box_shown = [](const FakeMessageBox&) { fake_files().uncreatable_paths = {"locked.txt"}; };

  export_log(fake_dialog_handle());

  EXPECT_EQ(fake_files().files["locked.txt"], "old");
  ASSERT_EQ(fake_dialog().boxes.size(), 2u);
  EXPECT_EQ(fake_dialog().boxes[1].text, "Cannot Create File");
  expect_ended_connected_full();
}

TEST_F(ExportLog, FailedWriteStopsClosesAndReports) {
  downloaded({"r1", "r2", "r3", "r4"});
  fake_files().failing_write_number = 3;  // the header, r1, then r2 fails

  export_to("full-disk.txt");

  EXPECT_EQ(fake_files().writes, 3) << "nothing is written after the failure";
  EXPECT_EQ(fake_files().files["full-disk.txt"], kHeader + ",,\"\",r1,,,\r\n");
  EXPECT_EQ(fake_dialog().progress_steps, 1);
  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  expect_box(fake_dialog().boxes[0], "File Access Error", "Cannot Write File", BoxIcon::error, BoxButtons::ok);
  expect_ended_connected_full();
}

TEST_F(ExportLog, FailedHeaderWriteStopsBeforeAnyRow) {
  downloaded({"r1"});
  fake_files().failing_write_number = 1;

  export_to("full-disk.txt");

  EXPECT_EQ(fake_files().writes, 1);
  EXPECT_EQ(fake_dialog().progress_steps, 0);
  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  EXPECT_EQ(fake_dialog().boxes[0].text, "Cannot Write File");
  expect_ended_connected_full();
}

}  // namespace
