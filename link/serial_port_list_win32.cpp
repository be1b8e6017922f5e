// The serial ports that Windows lists: the values of
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, each named after a
// device ("\Device\Serial0") and holding its port name ("COM1"). Drivers
// write them while their ports exist, so a USB adapter appears when it is
// plugged in; under Wine every mapped port appears there, and every port
// that Wine found by itself. The value's name, the driver's device, is the
// port's description: it tells a USB adapter ("\Device\VCP0") from a
// built-in port ("\Device\Serial0").

#include "link/serial_port.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
}  // namespace

std::vector<SerialPortInfo> list_serial_ports() {
  std::vector<SerialPortInfo> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return ports;
  DWORD longest_name = 0;
  DWORD longest_data = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest_name, &longest_data,
                   nullptr, nullptr);
  std::string value_name(longest_name + 1, '\0');
  std::string data(longest_data + 1, '\0');
  // A value that changed size since the question above (a port that came
  // meanwhile) answers ERROR_MORE_DATA and is left out until the next look.
  for (DWORD index = 0;; ++index) {
    DWORD name_chars = static_cast<DWORD>(value_name.size());
    DWORD data_bytes = longest_data;
    DWORD type = 0;
    LONG result = RegEnumValueA(key, index, &value_name[0], &name_chars, nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &data_bytes);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    // The stored string may or may not end in its NUL.
    ports.push_back({std::string(data.data(), strnlen(data.data(), data_bytes)),
                     std::string(value_name.data(), name_chars)});
  }
  RegCloseKey(key);
  return ports;
}
