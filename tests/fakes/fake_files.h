#pragma once
// FakeFiles: the export file seam for native tests. Files live in memory by
// path; the save dialog answers from a script; creations and writes can be
// made to fail. Every call is recorded in order.

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/files.h"

struct FakeFiles {
  // Contents by path; a path present here exists.
  std::map<std::string, std::string> files;

  // The save dialog's answers in turn: a path, or kFakeCancel. The dialog is
  // cancelled once the script runs out.
  std::deque<std::string> save_dialog_answers;
  int save_dialogs_shown = 0;

  // Creating a file at one of these paths fails for a reason other than its
  // existence (a folder without write access).
  std::set<std::string> uncreatable_paths;

  // The write with this number (1 for the first of the run) and every later
  // one fails and writes nothing; 0 for none.
  int failing_write_number = 0;
  int writes = 0;

  // Paths of the files open now, by handle number.
  std::map<int, std::string> open_files;

  // "dialog", "dialog cancel", "create_new <path>", "replace <path>",
  // "write <bytes>", "close <path>".
  std::vector<std::string> calls;
};

inline constexpr const char* kFakeCancel = "";

FakeFiles& fake_files();
void fake_files_reset();
