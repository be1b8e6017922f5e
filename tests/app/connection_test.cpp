// Connect and Disconnect: the sequences of boxes, status texts and progress
// calls, the enable sets, and what the firmware field shows.

#include "app/connection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "tests/fakes/dialog_fixtures.h"

namespace {

using Strings = std::vector<std::string>;

constexpr int kInstrumentButtons[] = {IDC_DISCONNECT,   IDC_SET_TIME,     IDC_GET_CONFIG,
                                      IDC_SAVE_CONFIG, IDC_DOWNLOAD_LOG, IDC_ERASE_DATA};

const char* const kCommunicationsErrorText =
    "Make sure instrument is properly connected to serial port and is set to baud rate 2400";

// What each box saw of the operation when it came up.
struct BoxMoment {
  std::string caption;
  int progress_steps;
  std::int64_t elapsed_us;
};

class Connection : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    box_moments.clear();
    fake_dialog().while_box_shown = [this](const FakeMessageBox& box) {
      box_moments.push_back({box.caption, fake_dialog().progress_steps, line.elapsed_us()});
    };
  }

  // A download had enabled these; neither Connect nor Disconnect takes that back.
  void enable_log_buttons_as_after_a_download() {
    fake_dialog().enabled[IDC_EXPORT_LOG] = true;
    fake_dialog().enabled[IDC_PRINT_LOG] = true;
  }

  void expect_instrument_buttons(bool enabled) {
    for (int id : kInstrumentButtons) EXPECT_EQ(enabled, fake_dialog().is_enabled(id)) << "control " << id;
  }

  void expect_log_buttons_still_enabled() {
    EXPECT_TRUE(fake_dialog().is_enabled(IDC_EXPORT_LOG));
    EXPECT_TRUE(fake_dialog().is_enabled(IDC_PRINT_LOG));
  }

  std::vector<BoxMoment> box_moments;
};

TEST_F(Connection, AnsweringInstrumentConnectsAndShowsVersionAndClock) {
  enable_log_buttons_as_after_a_download();
  connect_instrument(fake_dialog_handle());

  EXPECT_TRUE(dialog_connected());
  EXPECT_EQ("COM1", fake_system_opened_name());
  EXPECT_TRUE(fake_dialog().boxes.empty());
  EXPECT_EQ("3.1", fake_dialog().text(IDC_FIRMWARE));
  EXPECT_EQ("05/23/08  02:32 PM", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ((Strings{"Connecting...", "Connected"}), fake_dialog().status_history);
  EXPECT_EQ((Strings{"range 0", "range 30", "step 10", "stepit", "stepit", "stepit", "pos 30"}),
            fake_dialog().progress_calls);
  EXPECT_EQ(30, fake_dialog().progress_position);
  expect_instrument_buttons(true);
  EXPECT_FALSE(fake_dialog().is_enabled(IDC_CONNECT));
  EXPECT_FALSE(fake_dialog().is_enabled(IDC_PORT));
  expect_log_buttons_still_enabled();
}

TEST_F(Connection, OpensThePortChosenInTheSelectorCutToSixCharacters) {
  const std::pair<const char*, const char*> choices[] = {{"COM3", "COM3"}, {"COM4", "COM4"}, {"COM1234", "COM123"}};
  for (const auto& [chosen, opened] : choices) {
    SCOPED_TRACE(chosen);
    close_dialog_connection();
    fake_system_connect(opened, line);
    fake_dialog().texts[IDC_PORT] = chosen;
    connect_instrument(fake_dialog_handle());
    EXPECT_EQ(opened, fake_system_opened_name());
  }
}

struct FailedConnectCase {
  const char* name;
  std::function<void(InstrumentModel&, FakeSerialLine&)> arrange;
  Strings box_captions;
  // Progress steps made when each box came up.
  std::vector<int> steps_at_boxes;
};

TEST_F(Connection, FailedConnectShowsItsBoxesAndEndsDisconnectedWithEmptyBar) {
  const FailedConnectCase cases[] = {
      {"silent instrument", [](InstrumentModel& m, FakeSerialLine&) { m.faults.silent = true; },
       {"Communications Error"}, {1}},
      {"nothing on the line", [](InstrumentModel&, FakeSerialLine& l) { l.attach(nullptr); },
       {"Communications Error"}, {1}},
      {"port held elsewhere", [](InstrumentModel&, FakeSerialLine& l) { l.refuse_open(true); },
       {"Error", "Communications Error"}, {0, 1}},
  };
  for (const FailedConnectCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    enable_log_buttons_as_after_a_download();
    fake_dialog().texts[IDC_FIRMWARE] = "earlier version";
    fake_dialog().texts[IDC_DATETIME] = "earlier time";
    c.arrange(model, line);

    connect_instrument(fake_dialog_handle());

    Strings captions;
    for (const FakeMessageBox& box : fake_dialog().boxes) {
      captions.push_back(box.caption);
      // Every box is owned by the main dialog: nothing can be pressed under it.
      EXPECT_EQ(fake_dialog_handle(), box.owner);
      EXPECT_EQ(BoxButtons::ok, box.buttons);
    }
    ASSERT_EQ(c.box_captions, captions);
    std::vector<int> steps_at_boxes;
    for (const BoxMoment& moment : box_moments) steps_at_boxes.push_back(moment.progress_steps);
    EXPECT_EQ(c.steps_at_boxes, steps_at_boxes);

    const FakeMessageBox& last = fake_dialog().boxes.back();
    EXPECT_EQ(kCommunicationsErrorText, last.text);
    EXPECT_EQ(BoxIcon::none, last.icon);
    if (captions.size() == 2) {
      EXPECT_EQ("Port Unavailable", fake_dialog().boxes[0].text);
      EXPECT_EQ(BoxIcon::error, fake_dialog().boxes[0].icon);
      EXPECT_TRUE(line.host_writes().empty()) << line.transcript_text();
    }

    EXPECT_FALSE(dialog_connected());
    EXPECT_EQ((Strings{"Connecting...", "Failed To Connect To Instrument"}), fake_dialog().status_history);
    EXPECT_EQ((Strings{"range 0", "range 30", "step 10", "stepit", "range 0", "range 30", "step 10"}),
              fake_dialog().progress_calls);
    EXPECT_EQ(0, fake_dialog().progress_position);
    expect_instrument_buttons(false);
    EXPECT_TRUE(fake_dialog().is_enabled(IDC_CONNECT));
    EXPECT_EQ(0u, fake_dialog().enabled.count(IDC_PORT)) << "the port selector must not be touched";
    expect_log_buttons_still_enabled();
    EXPECT_EQ("earlier version", fake_dialog().text(IDC_FIRMWARE));
    EXPECT_EQ("earlier time", fake_dialog().text(IDC_DATETIME));
  }
}

TEST_F(Connection, SilentInstrumentGetsItsBoxOnlyAfterTheQueryRetriesAboutThirteenSeconds) {
  model.faults.silent = true;
  connect_instrument(fake_dialog_handle());

  ASSERT_EQ(1u, box_moments.size());
  // Sixteen unanswered attention bytes, 800 ms each, and nothing after.
  EXPECT_GE(box_moments[0].elapsed_us, 12'800'000);
  EXPECT_LT(box_moments[0].elapsed_us, 14'000'000);
  EXPECT_EQ(box_moments[0].elapsed_us, line.elapsed_us()) << "nothing may be sent after the box";
}

TEST_F(Connection, ConnectRightAfterAFailureSucceeds) {
  model.faults.silent = true;
  connect_instrument(fake_dialog_handle());
  model.faults.silent = false;
  connect_instrument(fake_dialog_handle());

  EXPECT_TRUE(dialog_connected());
  EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ(30, fake_dialog().progress_position);
  expect_instrument_buttons(true);
}

TEST_F(Connection, FirmwareFieldTakesTheVersionResponseFromPosition13WithoutReadingPastItsEnd) {
  struct Case {
    const char* instrument_version;
    const char* shown;
  };
  const Case cases[] = {
      {"", ""},  // a 13-character response: nothing behind the label
      {"3", "3"},
      {"3.1", "3.1"},
      // The link cuts a response at 38 characters: 25 behind the label.
      {"3.1 build 20080523 with a long suffix", "3.1 build 20080523 with a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.instrument_version);
    close_dialog_connection();
    fake_dialog().texts[IDC_FIRMWARE] = "earlier version";
    model.state.firmware_version = c.instrument_version;
    connect_instrument(fake_dialog_handle());
    EXPECT_EQ(c.shown, fake_dialog().text(IDC_FIRMWARE));
    EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
  }
}

TEST_F(Connection, FailedClockQueryDoesNotStopTheConnection) {
  // The version query makes four reads; the fifth, the clock query's first,
  // fails as the platform would report it.
  line.fail_read_after(4);
  connect_instrument(fake_dialog_handle());

  EXPECT_TRUE(fake_dialog().boxes.empty());
  EXPECT_EQ("3.1", fake_dialog().text(IDC_FIRMWARE));
  EXPECT_EQ("", fake_dialog().text(IDC_DATETIME));
  EXPECT_EQ("Connected", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ(30, fake_dialog().progress_position);
  expect_instrument_buttons(true);
}

TEST_F(Connection, DisconnectClosesThePortAndKeepsEverythingShown) {
  enable_log_buttons_as_after_a_download();
  connect_instrument(fake_dialog_handle());
  fake_dialog().texts[IDC_USER_ID] = "000000042";
  fake_dialog().list_items = {" 719   VER. 3.1", "reading"};
  const FakeDialog before = fake_dialog();
  const std::size_t bytes_before = line.host_bytes().size();

  disconnect_instrument(fake_dialog_handle());

  EXPECT_FALSE(dialog_connected());
  EXPECT_EQ(1, line.close_count());
  EXPECT_EQ(bytes_before, line.host_bytes().size()) << "Disconnect sends nothing";
  EXPECT_EQ("Disconnected", fake_dialog().text(IDC_STATUS));
  EXPECT_EQ(before.progress_calls, fake_dialog().progress_calls);
  for (int id : {IDC_FIRMWARE, IDC_DATETIME, IDC_USER_ID}) {
    EXPECT_EQ(before.text(id), fake_dialog().text(id));
    EXPECT_NE("", fake_dialog().text(id));
  }
  EXPECT_EQ(before.list_items, fake_dialog().list_items);
  expect_instrument_buttons(false);
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_CONNECT));
  EXPECT_TRUE(fake_dialog().is_enabled(IDC_PORT));
  expect_log_buttons_still_enabled();
  EXPECT_TRUE(fake_dialog().boxes.empty());
}

}  // namespace
