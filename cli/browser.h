#pragma once
// The seam to the desktop's default browser, for `719k report --open`:
// hands a written file to the platform's opener (xdg-open on POSIX,
// browser_posix.cpp; the shell's "open" verb on Windows,
// browser_win32.cpp), which starts the browser or a tab in a running one.
//
// An opener that is missing or fails is reported to the caller, not
// retried; one still busy after kBrowserOpenerWaitMs is taken to have
// started the browser and is left to it (some openers stay until the
// browser closes).

#include <string>

inline constexpr int kBrowserOpenerWaitMs = 5000;

// Empty when the file was handed over, else why it could not be.
std::string open_in_browser(const std::string& path);
