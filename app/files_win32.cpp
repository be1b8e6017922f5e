// The export file seam on Win32: GetSaveFileNameA and the file handle calls.

#include <windows.h>

#include <commdlg.h>

#include <cstddef>

#include "app/files.h"

// The shipped 32-bit program fills the record with the size that the save
// dialog of every Windows version accepts. OPENFILENAME_SIZE_VERSION_400A is
// not a constant expression (it subtracts pointers), so the check spells out
// what it computes: the record up to and including lpTemplateName.
static_assert(sizeof(void*) != 4 ||
                  offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName) == 76,
              "OPENFILENAMEA 4.00 size");

namespace {

constexpr DWORD kExportPathSize = 260;

// The record and the file name live for the program's life: fields that the
// dialog writes back (the chosen filter) are kept, and every export after
// the first opens the dialog with the path chosen last.
OPENFILENAMEA save_dialog_record;
char export_path[kExportPathSize];

// Two pairs of description and pattern, ended by an empty pair.
constexpr char kExportFilter[] = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";

HANDLE create_file(const std::string& path, DWORD disposition) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

bool choose_export_path(DialogHandle dialog, std::string& path) {
  // sizeof would be larger in a 64-bit build, where the 32-bit value makes
  // the dialog fail at once; the 4.00 size is right in both.
  save_dialog_record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  save_dialog_record.hwndOwner = static_cast<HWND>(dialog);
  save_dialog_record.lpstrFilter = kExportFilter;
  save_dialog_record.lpstrFile = export_path;
  save_dialog_record.nMaxFile = kExportPathSize;
  save_dialog_record.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  save_dialog_record.lpstrDefExt = "txt";
  if (!GetSaveFileNameA(&save_dialog_record)) return false;
  path = export_path;
  return true;
}

CreateResult create_new_file(const std::string& path, ExportFile& file) {
  const HANDLE handle = create_file(path, CREATE_NEW);
  if (handle != INVALID_HANDLE_VALUE) {
    file = handle;
    return CreateResult::created;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::already_exists
                                                                      : CreateResult::failed;
}

ExportFile create_or_replace_file(const std::string& path) {
  const HANDLE handle = create_file(path, CREATE_ALWAYS);
  return handle == INVALID_HANDLE_VALUE ? kNoExportFile : handle;
}

bool write_file(ExportFile file, const char* bytes, std::size_t count) {
  DWORD written = 0;
  const BOOL wrote = WriteFile(static_cast<HANDLE>(file), bytes, static_cast<DWORD>(count), &written, nullptr);
  return wrote && written == count;
}

void close_file(ExportFile file) { CloseHandle(static_cast<HANDLE>(file)); }
