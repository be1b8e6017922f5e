#include "app/port_list.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <tuple>

#include "app/control_ids.h"
#include "link/port_name.h"
#include "link/serial_port.h"

namespace {

constexpr const char* kAlwaysListedPorts[] = {"COM1", "COM2", "COM3", "COM4"};

// Numbered ports by number, then the other names by text.
bool listed_before(const std::string& left, const std::string& right) {
  const int left_number = com_port_number(left);
  const int right_number = com_port_number(right);
  return std::make_tuple(left_number == 0 ? INT_MAX : left_number, left) <
         std::make_tuple(right_number == 0 ? INT_MAX : right_number, right);
}

bool can_be_listed(const std::string& name) { return !name.empty() && name.size() <= kPortNameMaxChars; }

}  // namespace

std::vector<std::string> port_choices(const std::vector<std::string>& system_ports) {
  std::vector<std::string> choices(std::begin(kAlwaysListedPorts), std::end(kAlwaysListedPorts));
  std::copy_if(system_ports.begin(), system_ports.end(), std::back_inserter(choices), can_be_listed);
  std::sort(choices.begin(), choices.end(), listed_before);
  choices.erase(std::unique(choices.begin(), choices.end()), choices.end());
  return choices;
}

int port_choice_index(const std::vector<std::string>& choices, const std::string& current_choice) {
  auto found = std::find(choices.begin(), choices.end(), current_choice);
  return found == choices.end() ? 0 : static_cast<int>(found - choices.begin());
}

void refresh_port_list(DialogHandle dialog) {
  std::vector<std::string> system_ports;
  for (const SerialPortInfo& port : list_serial_ports()) system_ports.push_back(port.name);
  const std::vector<std::string> choices = port_choices(system_ports);
  set_choice_list(dialog, IDC_PORT, choices, port_choice_index(choices, get_control_text(dialog, IDC_PORT)));
}

void port_list_dropped_down(DialogHandle dialog) {
  if (is_control_enabled(dialog, IDC_PORT)) refresh_port_list(dialog);
}
