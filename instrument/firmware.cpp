#include "instrument/firmware.h"

#include "instrument/exchanges.h"

std::string firmware_version_of(const std::string& response_line) {
  return response_line.size() > kFirmwareVersionPosition ? response_line.substr(kFirmwareVersionPosition)
                                                          : std::string();
}

std::optional<std::string> read_firmware_version(Instrument& instrument) {
  const std::optional<std::string> response = query_response(instrument, Command::get_version_number);
  if (!response) return std::nullopt;
  return firmware_version_of(*response);
}
