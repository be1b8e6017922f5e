#include "link/port_name.h"

#include <cctype>

namespace {

constexpr char kComPrefix[] = "COM";
constexpr std::size_t kComPrefixChars = 3;
constexpr char kDeviceNamespacePrefix[] = "\\\\.\\";
// The highest number that Windows resolves without the namespace prefix.
constexpr int kHighestPlainPortNumber = 9;

}  // namespace

int com_port_number(const std::string& name) {
  if (name.size() <= kComPrefixChars || name.size() > kPortNameMaxChars) return 0;
  if (name.compare(0, kComPrefixChars, kComPrefix) != 0 || name[kComPrefixChars] == '0') return 0;
  int number = 0;
  for (std::size_t i = kComPrefixChars; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

std::string device_path_for_port(const std::string& name) {
  const int number = com_port_number(name);
  if (number >= 1 && number <= kHighestPlainPortNumber) return name;
  return kDeviceNamespacePrefix + name;
}
