#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The system's reason, in the words a user expects for the common ones.
std::string reason_of(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return "no such folder";
    case EISDIR: return "is a folder";
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    case ENOSPC: return "no space left on the device";
    default: return std::strerror(error);
  }
}

std::string temporary_path_for(const std::string& path) { return path + "." + std::to_string(getpid()) + ".tmp"; }

bool write_all(int file, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = write(file, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    written += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::string output_path_problem(const std::string& path) {
  struct stat found {};
  if (stat(folder_of(path).c_str(), &found) != 0) return reason_of(errno);
  if (!S_ISDIR(found.st_mode)) return "no such folder";
  if (stat(path.c_str(), &found) == 0 && S_ISDIR(found.st_mode)) return "is a folder";
  const std::string probe = temporary_path_for(path);
  const int file = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return reason_of(errno);
  close(file);
  unlink(probe.c_str());
  return std::string();
}

bool write_file_whole(const std::string& path, const std::string& bytes, std::string& error) {
  const std::string temporary = temporary_path_for(path);
  const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) {
    error = reason_of(errno);
    return false;
  }
  // On the disk before it takes the place of the old file: after a power
  // cut the target is the old file or the new one, whole.
  const bool written = write_all(file, bytes) && fsync(file) == 0;
  const int write_error = errno;
  if (close(file) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
    error = reason_of(written ? errno : write_error);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}
