// The export file seam over POSIX files, for the benchmarks: the save dialog
// answers with the path set by posix_files_set_export_path, and every write
// is a write(2) of its own, as the program's WriteFile is.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "app/files.h"
#include "tests/bench/posix_files.h"

namespace {
std::string export_path;

ExportFile as_export_file(int descriptor) {
  return reinterpret_cast<ExportFile>(static_cast<std::intptr_t>(descriptor) + 1);
}
int descriptor_of(ExportFile file) { return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1); }
}  // namespace

void posix_files_set_export_path(const std::string& path) { export_path = path; }

bool choose_export_path(DialogHandle, std::string& path) {
  path = export_path;
  return !path.empty();
}

CreateResult create_new_file(const std::string& path, ExportFile& file) {
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
  if (descriptor >= 0) {
    file = as_export_file(descriptor);
    return CreateResult::created;
  }
  return errno == EEXIST ? CreateResult::already_exists : CreateResult::failed;
}

ExportFile create_or_replace_file(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  return descriptor >= 0 ? as_export_file(descriptor) : kNoExportFile;
}

bool write_file(ExportFile file, const char* bytes, std::size_t count) {
  return write(descriptor_of(file), bytes, count) == static_cast<ssize_t>(count);
}

void close_file(ExportFile file) { close(descriptor_of(file)); }
