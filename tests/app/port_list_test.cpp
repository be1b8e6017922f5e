// The port selector's list: COM1 to COM4 and every port the system lists,
// in numeric order, refreshed on the drop-down while the selector is enabled.

#include "app/port_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/operation.h"
#include "tests/fakes/dialog_fixtures.h"

namespace {

using Strings = std::vector<std::string>;

const Strings kAlwaysListed{"COM1", "COM2", "COM3", "COM4"};

Strings always_listed_and(const Strings& more) {
  Strings names = kAlwaysListed;
  names.insert(names.end(), more.begin(), more.end());
  return names;
}

TEST(PortChoices, ComOneToFourAlwaysThenEverySystemPortOnceInNumericOrder) {
  struct Case {
    const char* name;
    Strings system_ports;
    Strings choices;
  };
  const Case cases[] = {
      {"none listed", {}, kAlwaysListed},
      {"listed ones of the first four appear once", {"COM3", "COM1", "COM3"}, kAlwaysListed},
      {"COM10 after COM9, not after COM1 as text order would put it",
       {"COM10", "COM2", "COM9", "COM5"},
       always_listed_and({"COM5", "COM9", "COM10"})},
      {"duplicates of a high port", {"COM12", "COM7", "COM12"}, always_listed_and({"COM7", "COM12"})},
      {"COM256 is the longest name the selector hands over", {"COM256", "COM100"},
       always_listed_and({"COM100", "COM256"})},
      {"names that are not numbered ports come last, in text order", {"CNCB0", "COM5", "CNCA0", "COM0"},
       always_listed_and({"COM5", "CNCA0", "CNCB0", "COM0"})},
      {"too long for the selector, or empty: left out", {"COM1000", "", "USBSER000", "COM11"},
       always_listed_and({"COM11"})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.choices, port_choices(c.system_ports)) << c.name;
}

class PortList : public DialogTest {
 protected:

  static Strings listed() { return fake_dialog().choice_lists[IDC_PORT]; }
  static std::string chosen() { return fake_dialog().text(IDC_PORT); }
  static void choose(const std::string& port) { fake_dialog().texts[IDC_PORT] = port; }
};

TEST_F(PortList, OpensWithEverySystemPortListedAndComOneSelected) {
  fake_system_set_port_names({"COM12", "COM5", "COM1"});
  main_dialog_opened(fake_dialog_handle());
  EXPECT_EQ(always_listed_and({"COM5", "COM12"}), listed());
  EXPECT_EQ("COM1", chosen());
}

TEST_F(PortList, DropDownShowsAPortPluggedInSinceAndKeepsTheChoice) {
  fake_system_set_port_names({"COM5"});
  main_dialog_opened(fake_dialog_handle());
  for (const char* choice : {"COM3", "COM5"}) {
    SCOPED_TRACE(choice);
    choose(choice);
    fake_system_set_port_names({"COM5", "COM12"});
    port_list_dropped_down(fake_dialog_handle());
    EXPECT_EQ(always_listed_and({"COM5", "COM12"}), listed());
    EXPECT_EQ(choice, chosen());
  }
}

TEST_F(PortList, ChoiceOfAPortThatHasGoneGivesWayToComOne) {
  fake_system_set_port_names({"COM12"});
  main_dialog_opened(fake_dialog_handle());
  choose("COM12");
  fake_system_set_port_names({});
  port_list_dropped_down(fake_dialog_handle());
  EXPECT_EQ(kAlwaysListed, listed());
  EXPECT_EQ("COM1", chosen());
}

TEST_F(PortList, NoRefreshWhileTheSelectorIsDisabled) {
  main_dialog_opened(fake_dialog_handle());
  choose("COM2");
  fake_dialog().enabled[IDC_PORT] = false;  // connected, or an operation runs
  fake_system_set_port_names({"COM12"});
  port_list_dropped_down(fake_dialog_handle());
  EXPECT_EQ(kAlwaysListed, listed());
  EXPECT_EQ("COM2", chosen());
}

}  // namespace
