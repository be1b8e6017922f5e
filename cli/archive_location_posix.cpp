#include "cli/archive_location.h"

#include <cstdlib>

std::string default_archive_path() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home && *data_home == '/') return std::string(data_home) + "/719k/archive.sqlite";
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::string();
  return std::string(home) + "/.local/share/719k/archive.sqlite";
}
