#pragma once
// Where the survey archive lives: --archive PATH, else the environment
// variable SET719K_ARCHIVE, else the platform's place for a user's data:
// $XDG_DATA_HOME/719k/archive.sqlite (~/.local/share/719k/archive.sqlite
// when that is unset) on Linux, %LOCALAPPDATA%\719K Set\archive.sqlite on
// Windows. The default place is per platform (archive_location_posix.cpp,
// archive_location_win32.cpp); nothing here creates anything.

#include <string>

#include "cli/arguments.h"

inline constexpr const char* kArchiveVariable = "SET719K_ARCHIVE";

// The archive's path for this run; empty when no place can be made out
// (no HOME, no LOCALAPPDATA).
std::string archive_path(const Invocation& invocation);

// The platform's place for it.
std::string default_archive_path();
