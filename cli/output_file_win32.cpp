#include "cli/output_file.h"

#include <windows.h>

namespace {

std::string folder_of(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return ".";
  return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

std::string reason_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return "no such folder";
    case ERROR_ACCESS_DENIED: return "permission denied";
    case ERROR_WRITE_PROTECT: return "the disk is write-protected";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "no space left on the disk";
    default: return "Windows error " + std::to_string(error);
  }
}

std::string temporary_path_for(const std::string& path) {
  return path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string output_path_problem(const std::string& path) {
  if (!is_folder(folder_of(path))) return "no such folder";
  if (is_folder(path)) return "is a folder";
  const std::string probe = temporary_path_for(path);
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return reason_of(GetLastError());
  CloseHandle(file);
  return std::string();
}

bool write_file_whole(const std::string& path, const std::string& bytes, std::string& error) {
  const std::string temporary = temporary_path_for(path);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = reason_of(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size() && FlushFileBuffers(file);
  const DWORD write_error = GetLastError();
  CloseHandle(file);
  // MOVEFILE_WRITE_THROUGH: the move itself is on the disk when it returns.
  if (!whole || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = reason_of(whole ? GetLastError() : write_error);
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}
