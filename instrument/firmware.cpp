#include "instrument/firmware.h"

#include <cstring>

#include "link/commands.h"
#include "link/transaction.h"

std::string firmware_version_of(const char* response_line) {
  const std::size_t length = std::strlen(response_line);
  return length > kFirmwareVersionPosition ? std::string(response_line + kFirmwareVersionPosition) : std::string();
}

std::optional<std::string> read_firmware_version() {
  const char* response = query(command_text(Command::get_version_number));
  if (transaction_failed(response)) return std::nullopt;
  return firmware_version_of(response);
}
