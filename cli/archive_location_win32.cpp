#include "cli/archive_location.h"

#include <cstdlib>

std::string default_archive_path() {
  const char* local_app_data = std::getenv("LOCALAPPDATA");
  if (!local_app_data || !*local_app_data) return std::string();
  return std::string(local_app_data) + "\\719K Set\\archive.sqlite";
}
