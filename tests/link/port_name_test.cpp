// Port names: which are numbered ports, and which need the device namespace
// to open.

#include "link/port_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PortName, OnlyComFollowedByANumberWithoutLeadingZeroIsANumberedPort) {
  const std::pair<const char*, int> cases[] = {
      {"COM1", 1},  {"COM9", 9},  {"COM10", 10}, {"COM256", 256}, {"COM999", 999},
      {"COM", 0},   {"COM0", 0},  {"COM01", 0},  {"com3", 0},     {"COM3A", 0},
      {"CNCA0", 0}, {"", 0},      {"COM1000", 0},  // longer than the selector hands over
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(number, com_port_number(name)) << name;
}

TEST(PortName, FromComTenUpAndForOtherNamesTheOpenNeedsTheDeviceNamespace) {
  const std::pair<const char*, const char*> cases[] = {
      {"COM1", "COM1"},
      {"COM4", "COM4"},
      {"COM9", "COM9"},
      {"COM10", "\\\\.\\COM10"},
      {"COM12", "\\\\.\\COM12"},
      {"COM256", "\\\\.\\COM256"},
      {"CNCA0", "\\\\.\\CNCA0"},
      {"COM0", "\\\\.\\COM0"},
  };
  for (const auto& [name, path] : cases) EXPECT_EQ(path, device_path_for_port(name)) << name;
}

}  // namespace
