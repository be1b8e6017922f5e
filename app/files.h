#pragma once
// The export file seam: the save dialog and the few file operations that
// Export Log needs.
//
// The program implements it with Win32 calls (files_win32.cpp): the save
// dialog's record and its 260-byte file name live for the program's life, so
// every export after the first opens the dialog with the path chosen last;
// files are opened for reading and writing without sharing. The tests link
// FakeFiles (tests/fakes/fake_files.h), which keeps files in memory and
// answers the save dialog from a script.
//
// Nothing here buffers: each write goes to the file at once.

#include <cstddef>
#include <string>

#include "app/dialog.h"

// An open export file (a file handle in the program), opaque to operations.
using ExportFile = void*;
inline constexpr ExportFile kNoExportFile = nullptr;

// Shows the save dialog owned by the main dialog. True with the chosen path;
// false when the operator cancelled or the dialog failed.
bool choose_export_path(DialogHandle dialog, std::string& path);

enum class CreateResult { created, already_exists, failed };

// Creates the file only if none exists at the path. file is set when created.
CreateResult create_new_file(const std::string& path, ExportFile& file);

// Creates the file, replacing (emptying) an existing one. kNoExportFile on failure.
ExportFile create_or_replace_file(const std::string& path);

// Writes all bytes. False when the platform reports a failure or wrote fewer.
bool write_file(ExportFile file, const char* bytes, std::size_t count);

void close_file(ExportFile file);
