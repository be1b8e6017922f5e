// Commands run one at a time: the locks during an instrument operation and
// the enable sets after it, commands dropped meanwhile, the close box during
// an operation, and Cancel for a download. Presses "during" an operation come
// from the serial wait hook, which is where the program dispatches them.

#include "app/operation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/data_log_panel.h"
#include "tests/fakes/dialog_fixtures.h"

namespace {

using Strings = std::vector<std::string>;
using Controls = std::set<int>;

constexpr int kButtons[] = {IDC_CONNECT,    IDC_DISCONNECT, IDC_SET_TIME,  IDC_GET_CONFIG,
                            IDC_SAVE_CONFIG, IDC_DOWNLOAD_LOG, IDC_ERASE_DATA, IDC_EXPORT_LOG,
                            IDC_PRINT_LOG,  IDC_ABOUT,      IDC_QUIT};

const Controls kConnectedSet{IDC_DISCONNECT, IDC_SET_TIME,   IDC_GET_CONFIG, IDC_SAVE_CONFIG,
                             IDC_DOWNLOAD_LOG, IDC_ERASE_DATA, IDC_ABOUT,      IDC_QUIT};
const Controls kDisconnectedSet{IDC_CONNECT, IDC_PORT, IDC_ABOUT, IDC_QUIT};

Controls with(Controls controls, const Controls& more) {
  controls.insert(more.begin(), more.end());
  return controls;
}

// The buttons and the port selector that are enabled now.
Controls enabled_controls() {
  Controls enabled;
  for (int id : kButtons) {
    if (fake_dialog().is_enabled(id)) enabled.insert(id);
  }
  if (fake_dialog().is_enabled(IDC_PORT)) enabled.insert(IDC_PORT);
  return enabled;
}

Strings readings(const std::string& place, int count) {
  Strings lines;
  for (int i = 0; i < count; ++i) lines.push_back("05/23/08 14" + std::to_string(10 + i) + "   " + place + "       125    OK");
  return lines;
}

class Operation : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    main_dialog_opened(fake_dialog_handle());
  }

  static bool press(int command_id) { return handle_dialog_command(fake_dialog_handle(), command_id); }

  void connect() {
    press(IDC_CONNECT);
    ASSERT_TRUE(dialog_connected());
    ASSERT_EQ(kConnectedSet, enabled_controls());
  }

  // Runs the action once, at the first wait from the given virtual time on.
  void once_waiting_from(std::int64_t from_us, std::function<void()> action) {
    line.on_wait([this, from_us, action, done = false]() mutable {
      if (done || line.elapsed_us() < from_us) return;
      done = true;
      action();
    });
  }
};

struct LockCase {
  const char* name;
  int button;
  bool connected_before;
  void (*arrange)(InstrumentModel& model);
  Controls enabled_after;
};

TEST_F(Operation, EveryInstrumentOperationLocksEveryButtonAndThePortAndLeavesItsEnableSetAfter) {
  const auto nothing = [](InstrumentModel&) {};
  const LockCase cases[] = {
      {"Connect", IDC_CONNECT, false, nothing, kConnectedSet},
      {"Connect, silent instrument", IDC_CONNECT, false, [](InstrumentModel& m) { m.faults.silent = true; },
       kDisconnectedSet},
      {"Get Config", IDC_GET_CONFIG, true, nothing, kConnectedSet},
      {"Save Config", IDC_SAVE_CONFIG, true, nothing, kConnectedSet},
      {"Set Time", IDC_SET_TIME, true, nothing, kConnectedSet},
      {"Download Log", IDC_DOWNLOAD_LOG, true, [](InstrumentModel& m) { m.state.log_lines = readings("A00017", 3); },
       with(kConnectedSet, {IDC_EXPORT_LOG, IDC_PRINT_LOG})},
      {"Erase Instrument Data", IDC_ERASE_DATA, true, nothing, kConnectedSet},
  };
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.connected_before) connect();
    c.arrange(model);
    std::vector<Controls> during;
    std::vector<std::string> captions_during;
    line.on_wait([&during, &captions_during] {
      during.push_back(enabled_controls());
      captions_during.push_back(fake_dialog().text(IDC_DOWNLOAD_LOG));
    });

    EXPECT_TRUE(press(c.button));

    ASSERT_FALSE(during.empty()) << "the operation never waited";
    // Download Log's own button is its Cancel and stays enabled.
    const Controls enabled_during = c.button == IDC_DOWNLOAD_LOG ? Controls{IDC_DOWNLOAD_LOG} : Controls{};
    for (const Controls& enabled : during) EXPECT_EQ(enabled_during, enabled);
    if (c.button == IDC_DOWNLOAD_LOG) {
      EXPECT_EQ(kCancelCaption, captions_during.front());
      EXPECT_EQ(kDownloadLogCaption, fake_dialog().text(IDC_DOWNLOAD_LOG));
    }
    EXPECT_EQ(c.enabled_after, enabled_controls());
    EXPECT_TRUE(fake_dialog().end_codes.empty());
  }
}

TEST_F(Operation, CommandsArrivingDuringAnOperationAreDropped) {
  connect();
  model.state.log_lines = readings("A00017", 3);
  const std::size_t writes_before = line.host_writes().size();
  once_waiting_from(0, [] {
    for (int id : kButtons) EXPECT_TRUE(press(id)) << id;
    press(kEscapeCommandId);
  });

  press(IDC_GET_CONFIG);

  EXPECT_TRUE(dialog_connected());
  EXPECT_TRUE(fake_dialog().end_codes.empty()) << "Quit ran";
  EXPECT_TRUE(fake_dialog().boxes.empty()) << "About, or a box of a second operation";
  EXPECT_TRUE(model.orders_performed.empty()) << "Save Config, Set Time or Erase ran";
  EXPECT_TRUE(fake_dialog().list_items.empty()) << "Download Log ran";
  const Strings writes = line.host_writes();
  EXPECT_EQ(8, std::count(writes.begin() + static_cast<long>(writes_before), writes.end(), "?"))
      << "only Get Config's eight queries, none cancelled";
  EXPECT_EQ("000000042", fake_dialog().text(IDC_USER_ID));
  EXPECT_EQ(kConnectedSet, enabled_controls());
}

TEST_F(Operation, IdsWithoutACommandAreNotHandled) {
  for (int id : {kEscapeCommandId, 1 /* Enter */, IDC_INSTRUMENT_NO, IDC_LOG_LIST, IDC_PORT}) {
    EXPECT_FALSE(press(id)) << id;
  }
  EXPECT_TRUE(fake_dialog().end_codes.empty());
}

TEST_F(Operation, QuitAndTheCloseBoxWithoutAnOperationEndAtOnceWithThePortClosed) {
  struct Case {
    const char* name;
    std::function<void()> end;
    int end_code;
  };
  const Case cases[] = {
      {"Quit", [] { press(IDC_QUIT); }, kEndCodeQuit},
      {"close box", [] { handle_close_box(fake_dialog_handle()); }, kEndCodeClosed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    connect();
    c.end();
    EXPECT_EQ(std::vector<int>{c.end_code}, fake_dialog().end_codes);
    EXPECT_FALSE(dialog_connected());
  }
}

struct CloseCase {
  const char* name;
  int button;
  bool connected_before;
  void (*arrange)(InstrumentModel& model);
};

TEST_F(Operation, CloseBoxDuringAnOperationCancelsItAndClosesWhenItHasReturnedWithoutABox) {
  const CloseCase cases[] = {
      {"Connect, silent instrument", IDC_CONNECT, false, [](InstrumentModel& m) { m.faults.silent = true; }},
      {"Get Config, silent instrument", IDC_GET_CONFIG, true, [](InstrumentModel& m) { m.faults.silent = true; }},
      {"Save Config and the Get Config after it", IDC_SAVE_CONFIG, true, [](InstrumentModel&) {}},
      {"Download Log", IDC_DOWNLOAD_LOG, true,
       [](InstrumentModel& m) { m.state.log_lines = readings("A00017", 20); }},
      {"Erase Instrument Data, closing reply never comes", IDC_ERASE_DATA, true,
       [](InstrumentModel& m) { m.faults.drop_order_closing = 1; }},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.connected_before) connect();
    c.arrange(model);
    const std::int64_t pressed_at = line.elapsed_us();
    std::int64_t closed_at = -1;
    std::size_t boxes_at_close = 0;
    bool ended_under_the_operation = true;
    bool port_open_at_close = false;
    once_waiting_from(pressed_at + 200'000, [&] {
      closed_at = line.elapsed_us();
      boxes_at_close = fake_dialog().boxes.size();
      handle_close_box(fake_dialog_handle());
      ended_under_the_operation = !fake_dialog().end_codes.empty();
      port_open_at_close = dialog_connected();
    });

    press(c.button);

    ASSERT_GE(closed_at, 0) << "no wait after 200 ms";
    EXPECT_FALSE(ended_under_the_operation) << "the dialog must stay until the operation has returned";
    EXPECT_TRUE(port_open_at_close);
    EXPECT_EQ(std::vector<int>{kEndCodeClosed}, fake_dialog().end_codes);
    EXPECT_FALSE(dialog_connected());
    EXPECT_EQ(boxes_at_close, fake_dialog().boxes.size()) << fake_dialog().boxes.back().caption;
    EXPECT_EQ(closed_at, line.elapsed_us()) << "nothing waited for after the close\n"
                                                 << line.transcript_text();
    for (const FakeTransfer& transfer : line.transcript()) {
      EXPECT_FALSE(transfer.direction == FakeDirection::host_write && transfer.start_us > closed_at)
          << "sent after the close: " << transfer.bytes;
    }
  }
}

class DownloadCancel : public Operation {
 protected:
  // A connected instrument, and a longer earlier download already shown.
  void SetUp() override {
    Operation::SetUp();
    connect();
    model.state.log_lines = readings("B00102", 30);
    press(IDC_DOWNLOAD_LOG);
    ASSERT_EQ(30u, fake_dialog().list_items.size());
    model.state.log_lines = readings("A00017", 12);
    // The operator's next click on the button is no second half of a
    // double-click.
    fake_dialog().let_time_pass(fake_dialog().double_click_ms);
  }

  // Presses the command while the read of the line after the first
  // `acknowledged` lines waits.
  void cancel_after(int acknowledged, int command_id) {
    line.on_wait([this, acknowledged, command_id, done = false]() mutable {
      if (done || model.log_lines_acknowledged != acknowledged || model.stage != ModelStage::awaiting_log_hand_back) {
        return;
      }
      done = true;
      caption_at_cancel = fake_dialog().text(IDC_DOWNLOAD_LOG);
      cancel_was_enabled = fake_dialog().is_enabled(IDC_DOWNLOAD_LOG);
      cancelled_at = line.elapsed_us();
      EXPECT_TRUE(press(command_id));
    });
  }

  std::string caption_at_cancel;
  bool cancel_was_enabled = false;
  std::int64_t cancelled_at = -1;
};

TEST_F(DownloadCancel, CancelOrEscapeStopsAtOnceAndShowsExactlyTheLinesReceived) {
  constexpr int kAcknowledged = 5;
  for (int command_id : {IDC_DOWNLOAD_LOG, kEscapeCommandId}) {
    SCOPED_TRACE(command_id == IDC_DOWNLOAD_LOG ? "Cancel button" : "Escape");
    SetUp();
    const std::size_t boxes_before = fake_dialog().boxes.size();
    cancel_after(kAcknowledged, command_id);

    press(IDC_DOWNLOAD_LOG);

    EXPECT_EQ(kCancelCaption, caption_at_cancel);
    EXPECT_TRUE(cancel_was_enabled);
    const Strings received = readings("A00017", kAcknowledged);
    EXPECT_EQ(received, fake_dialog().list_items);
    EXPECT_EQ(kDownloadCancelledText, fake_dialog().text(IDC_STATUS));
    EXPECT_EQ(kDownloadLogCaption, fake_dialog().text(IDC_DOWNLOAD_LOG));
    EXPECT_EQ(with(kConnectedSet, {IDC_EXPORT_LOG, IDC_PRINT_LOG}), enabled_controls());
    EXPECT_EQ(boxes_before, fake_dialog().boxes.size()) << "a cancel is no failure";
    EXPECT_EQ(kAcknowledged + 1, fake_dialog().progress_position) << "the bar stays where the download stopped";
    EXPECT_EQ(cancelled_at, line.elapsed_us()) << "nothing waited for after the cancel";
    EXPECT_TRUE(line.transcript().back().cancelled) << line.transcript_text();
    EXPECT_TRUE(dialog_connected());
  }
}

TEST_F(DownloadCancel, NextOperationStartsWithTheAttentionByteAndSucceeds) {
  cancel_after(5, IDC_DOWNLOAD_LOG);
  press(IDC_DOWNLOAD_LOG);
  const std::size_t transfers_before = line.transcript().size();
  const std::size_t boxes_before = fake_dialog().boxes.size();

  press(IDC_GET_CONFIG);

  ASSERT_GT(line.transcript().size(), transfers_before);
  EXPECT_EQ("?", line.transcript()[transfers_before].bytes);
  EXPECT_EQ(1, line.discard_count()) << "the rest of the abandoned line must not answer the attention byte";
  EXPECT_EQ(boxes_before, fake_dialog().boxes.size()) << "Get Config failed after the cancel";
  EXPECT_EQ("000000042", fake_dialog().text(IDC_USER_ID));
  EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
}

// --- A double-click on Download Log -------------------------------------------

TEST_F(DownloadCancel, SecondClickOfADoubleClickDoesNotCancelTheDownloadButEscapeDoes) {
  struct Case {
    const char* name;
    int command_id;
    std::int64_t after_ms;  // the double-click time is 500 ms
    bool cancels;
  };
  const Case cases[] = {
      {"second click", IDC_DOWNLOAD_LOG, 250, false},
      {"click just inside the double-click time", IDC_DOWNLOAD_LOG, 499, false},
      {"click after the double-click time", IDC_DOWNLOAD_LOG, 500, true},
      {"Escape at once", kEscapeCommandId, 250, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const std::int64_t started_ms = milliseconds_now();
    once_waiting_from(0, [&c, started_ms] {
      fake_dialog().let_time_pass(started_ms + c.after_ms - milliseconds_now());
      EXPECT_TRUE(press(c.command_id));
    });

    press(IDC_DOWNLOAD_LOG);

    EXPECT_EQ(c.cancels ? kDownloadCancelledText : "Connected", fake_dialog().text(IDC_STATUS));
    EXPECT_EQ(c.cancels ? 0u : 12u, fake_dialog().list_items.size());
  }
}

TEST_F(DownloadCancel, ClickOnCancelJustAsTheDownloadEndsStartsNoNewOne) {
  press(IDC_DOWNLOAD_LOG);
  ASSERT_EQ(12u, fake_dialog().list_items.size());
  const std::size_t transfers_after_download = line.transcript().size();

  fake_dialog().let_time_pass(fake_dialog().double_click_ms - 1);
  EXPECT_TRUE(press(IDC_DOWNLOAD_LOG)) << "the click is the dialog's, and dropped";
  EXPECT_EQ(transfers_after_download, line.transcript().size()) << "a new download started";
  EXPECT_EQ(12u, fake_dialog().list_items.size());

  fake_dialog().let_time_pass(1);
  model.state.log_lines = readings("C00001", 2);
  press(IDC_DOWNLOAD_LOG);
  EXPECT_EQ(readings("C00001", 2), fake_dialog().list_items) << "a later click downloads again";
}

TEST_F(DownloadCancel, ClickAfterAnotherCommandDownloadsHoweverSoonItComes) {
  press(IDC_DOWNLOAD_LOG);
  press(IDC_ABOUT);  // answered at once, in no time
  model.state.log_lines = readings("C00001", 2);
  press(IDC_DOWNLOAD_LOG);
  EXPECT_EQ(readings("C00001", 2), fake_dialog().list_items) << "the operator did something else in between";
}

}  // namespace
