#include "cli/archive_location.h"

#include <cstdlib>

std::string archive_path(const Invocation& invocation) {
  if (!invocation.archive_path.empty()) return invocation.archive_path;
  const char* from_environment = std::getenv(kArchiveVariable);
  if (from_environment && *from_environment) return from_environment;
  return default_archive_path();
}
