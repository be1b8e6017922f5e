// Get Config and Save Config over the fake dialog: which edits they fill
// and read, in which order the queries and orders go out, the boxes, and
// the status and progress steps.

#include "app/settings_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "link/transaction.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/fakes/dialog_fixtures.h"

namespace {

// --- The operations against the instrument model ---------------------------

class SettingsOperation : public ConnectedDialogTest {
 protected:
  static std::string edit(int id) { return fake_dialog().text(id); }
  static void set_edit(int id, const std::string& text) { fake_dialog().texts[id] = text; }

  // The command lines the host sent that begin with the prefix, in order.
  std::vector<std::string> sent_commands(const std::string& prefix) const {
    std::vector<std::string> commands;
    for (const std::string& write : line.host_writes()) {
      if (write.compare(0, prefix.size(), prefix) == 0) commands.push_back(write);
    }
    return commands;
  }

  void fill_all_edits(const std::string& text) {
    for (int id : {IDC_INSTRUMENT_NO, IDC_USER_ID, IDC_LOCATION, IDC_ACCESS_LEVEL, IDC_OPERATING_MODE, IDC_ALARM,
                   IDC_SPAN, IDC_RESPONSE_FACTOR}) {
      set_edit(id, text);
    }
  }
};

TEST_F(SettingsOperation, GetConfigQueriesInInstrumentOrderAndFillsEveryEdit) {
  get_config(fake_dialog_handle());

  EXPECT_EQ(sent_commands("GET "),
            (std::vector<std::string>{"GET INSTRUMENT NUMBER", "GET ALARM SETTING", "GET ACCESS LEVEL",
                                      "GET LOCATION CODE", "GET OPERATING MODE", "GET USER ID",
                                      "GET RESPONSE FACTOR", "GET SPAN CONCENTRATION"}));
  EXPECT_EQ(edit(IDC_INSTRUMENT_NO), "000123");
  EXPECT_EQ(edit(IDC_USER_ID), "000000042");
  EXPECT_EQ(edit(IDC_LOCATION), "000017");
  EXPECT_EQ(edit(IDC_ACCESS_LEVEL), "2");
  EXPECT_EQ(edit(IDC_OPERATING_MODE), "OPERATING MODE...M1");
  EXPECT_EQ(edit(IDC_ALARM), "0050");
  EXPECT_EQ(edit(IDC_SPAN), "0100");
  EXPECT_EQ(edit(IDC_RESPONSE_FACTOR), "1.00");
  EXPECT_TRUE(fake_dialog().boxes.empty());
}

TEST_F(SettingsOperation, GetConfigStepsEightTimesAndEndsConnected) {
  get_config(fake_dialog_handle());

  std::vector<std::string> expected = {"range 0", "range 80", "step 10"};
  expected.insert(expected.end(), 8, "stepit");
  expected.push_back("pos 80");
  EXPECT_EQ(fake_dialog().progress_calls, expected);
  EXPECT_EQ(fake_dialog().progress_position, 80);
  EXPECT_EQ(fake_dialog().status_history,
            (std::vector<std::string>{"Downloading Configuration....", "Connected"}));
}

TEST_F(SettingsOperation, GetConfigShortResponsesClearEarlierValues) {
  fill_all_edits("654321");
  model.faults.response_framing = ResponseFraming::one_byte;

  get_config(fake_dialog_handle());

  for (int id : {IDC_INSTRUMENT_NO, IDC_USER_ID, IDC_LOCATION, IDC_ACCESS_LEVEL, IDC_OPERATING_MODE, IDC_ALARM,
                 IDC_SPAN, IDC_RESPONSE_FACTOR}) {
    EXPECT_EQ(edit(id), "") << id;
  }
  EXPECT_TRUE(fake_dialog().boxes.empty()) << "short answers are answers, not failures";
}

TEST_F(SettingsOperation, GetConfigFailedQueryClearsItsEditRunsOnAndReportsOnceAtEnd) {
  fill_all_edits("654321");
  // The first query's attention stage uses up its budget: 16 unanswered "?".
  model.faults.ignore_attention = kTransactionBudget + 1;
  static int steps_when_box_shown;
  static std::string status_when_box_shown;
  steps_when_box_shown = -1;
  fake_dialog().while_box_shown = [](const FakeMessageBox&) {
    steps_when_box_shown = fake_dialog().progress_steps;
    status_when_box_shown = fake_dialog().text(IDC_STATUS);
  };

  get_config(fake_dialog_handle());

  EXPECT_EQ(edit(IDC_INSTRUMENT_NO), "") << "a value of another instrument must not survive";
  EXPECT_EQ(edit(IDC_ALARM), "0050");
  EXPECT_EQ(edit(IDC_SPAN), "0100");
  ASSERT_EQ(fake_dialog().boxes.size(), 1u);
  expect_box(fake_dialog().boxes[0], "Communications Error", "Some settings could not be read from the instrument.",
             BoxIcon::warning, BoxButtons::ok);
  EXPECT_EQ(steps_when_box_shown, 8);
  EXPECT_EQ(status_when_box_shown, "Connected");
}

TEST_F(SettingsOperation, GetConfigSilentInstrumentShowsErrInModeOnly) {
  fill_all_edits("654321");
  model.faults.silent = true;

  get_config(fake_dialog_handle());

  EXPECT_EQ(edit(IDC_OPERATING_MODE), "err");
  for (int id : {IDC_INSTRUMENT_NO, IDC_USER_ID, IDC_LOCATION, IDC_ACCESS_LEVEL, IDC_ALARM, IDC_SPAN,
                 IDC_RESPONSE_FACTOR}) {
    EXPECT_EQ(edit(id), "") << id;
  }
  EXPECT_EQ(fake_dialog().progress_steps, 8);
  EXPECT_EQ(fake_dialog().boxes.size(), 1u);
  EXPECT_EQ(fake_dialog().text(IDC_STATUS), "Connected");
}

TEST_F(SettingsOperation, SaveConfigSendsWorkedExampleOrdersWithEmptyValueBlank) {
  set_edit(IDC_ACCESS_LEVEL, "2");
  set_edit(IDC_INSTRUMENT_NO, "1234");
  set_edit(IDC_USER_ID, "");
  set_edit(IDC_LOCATION, "000017");
  set_edit(IDC_ALARM, "0050");
  set_edit(IDC_SPAN, "");
  set_edit(IDC_RESPONSE_FACTOR, "1.5");

  save_config(fake_dialog_handle());

  const std::vector<std::string> expected = {
      "SET ACCESS LEVEL 2",     "SET INSTRUMENT NUMBER 1234", "SET USER ID ",         "SET LOCATION CODE 000017",
      "SET ALARM SETTING 0050", "SET SPAN CONCENTRATION ",    "SET RESPONSE FACTOR 1.5"};
  EXPECT_EQ(sent_commands("SET "), expected);
  EXPECT_EQ(model.orders_performed, expected);
  EXPECT_TRUE(fake_dialog().boxes.empty());
  EXPECT_EQ(model.state.settings.user_id, "");
}

TEST_F(SettingsOperation, SaveConfigSendsOverlongValuesFromGetConfigCut) {
  model.state.settings.instrument_number = "12345678";
  model.state.settings.user_id = "0000000421";
  model.state.settings.location_code = "0000171";
  model.state.settings.alarm_setting = "00 500";
  model.state.settings.span_concentration = "01000";
  model.state.settings.response_factor = "1.005";
  get_config(fake_dialog_handle());
  ASSERT_EQ(edit(IDC_INSTRUMENT_NO), "12345678") << "values from the instrument are shown whole";
  ASSERT_EQ(edit(IDC_ALARM), "00 500");

  save_config(fake_dialog_handle());

  EXPECT_EQ(sent_commands("SET "),
            (std::vector<std::string>{"SET ACCESS LEVEL 2", "SET INSTRUMENT NUMBER 123456", "SET USER ID 000000042",
                                      "SET LOCATION CODE 000017", "SET ALARM SETTING 00 5",
                                      "SET SPAN CONCENTRATION 0100", "SET RESPONSE FACTOR 1.00"}));
}

struct AccessLevelCase {
  const char* typed;
  const char* order;  // nullptr: refused with the box
};

TEST_F(SettingsOperation, SaveConfigAccessLevelRefusedOutsideOneToThreeOthersStillWritten) {
  const AccessLevelCase cases[] = {
      {"0", nullptr}, {"4", nullptr}, {"", nullptr}, {" 2", "SET ACCESS LEVEL  2"}, {"+3", "SET ACCESS LEVEL +3"},
      {"1", "SET ACCESS LEVEL 1"},
      // strtol looks only at the 19 characters taken, and the order carries
      // no more than those (longer texts come from Get Config).
      {"2xxxxxxxxxxxxxxxxxxyz", "SET ACCESS LEVEL 2xxxxxxxxxxxxxxxxxx"},
      {"                   2", nullptr},
  };
  for (const AccessLevelCase& c : cases) {
    TearDown();
    SetUp();
    set_edit(IDC_ACCESS_LEVEL, c.typed);
    set_edit(IDC_INSTRUMENT_NO, "000777");
    static int steps_when_box_shown;
    steps_when_box_shown = -1;
    fake_dialog().while_box_shown = [](const FakeMessageBox&) {
      steps_when_box_shown = fake_dialog().progress_steps;
    };

    save_config(fake_dialog_handle());

    const std::vector<std::string> access_orders = sent_commands("SET ACCESS LEVEL");
    if (c.order) {
      EXPECT_EQ(access_orders, std::vector<std::string>{c.order}) << '"' << c.typed << '"';
      EXPECT_TRUE(fake_dialog().boxes.empty()) << '"' << c.typed << '"';
    } else {
      EXPECT_TRUE(access_orders.empty()) << '"' << c.typed << '"';
      ASSERT_EQ(fake_dialog().boxes.size(), 1u) << '"' << c.typed << '"';
      expect_box(fake_dialog().boxes[0], "Input Error", "Access level value must be 1, 2, or 3", BoxIcon::error,
                 BoxButtons::ok);
      EXPECT_EQ(steps_when_box_shown, 0) << "the box comes before the first order";
    }
    EXPECT_EQ(sent_commands("SET ").size(), c.order ? 7u : 6u) << '"' << c.typed << '"';
    EXPECT_EQ(model.state.settings.instrument_number, "000777");
    EXPECT_EQ(fake_dialog().progress_steps, 7) << '"' << c.typed << '"';
  }
}

TEST_F(SettingsOperation, SaveThenGetShowsStatusesInTurnAndReadsBackNewValues) {
  get_config(fake_dialog_handle());
  fake_dialog().status_history.clear();
  fake_dialog().progress_calls.clear();
  set_edit(IDC_INSTRUMENT_NO, "000555");
  set_edit(IDC_USER_ID, "000000777");
  set_edit(IDC_ACCESS_LEVEL, "3");
  set_edit(IDC_SPAN, "0250");

  // What the Save Config button runs.
  save_config(fake_dialog_handle());
  get_config(fake_dialog_handle());

  EXPECT_EQ(fake_dialog().status_history,
            (std::vector<std::string>{"Uploading Configuration", "Connected", "Downloading Configuration....",
                                      "Connected"}));
  std::vector<std::string> expected = {"range 0", "range 70", "step 10"};
  expected.insert(expected.end(), 7, "stepit");
  expected.insert(expected.end(), {"pos 70", "range 0", "range 80", "step 10"});
  expected.insert(expected.end(), 8, "stepit");
  expected.push_back("pos 80");
  EXPECT_EQ(fake_dialog().progress_calls, expected);
  EXPECT_EQ(model.state.settings.instrument_number, "000555");
  EXPECT_EQ(model.state.settings.user_id, "000000777");
  EXPECT_EQ(model.state.settings.access_level, "3");
  EXPECT_EQ(model.state.settings.span_concentration, "0250");
  EXPECT_EQ(edit(IDC_INSTRUMENT_NO), "000555");
  EXPECT_EQ(edit(IDC_USER_ID), "000000777");
  EXPECT_EQ(edit(IDC_ACCESS_LEVEL), "3");
  EXPECT_EQ(edit(IDC_SPAN), "0250");
}

}  // namespace
