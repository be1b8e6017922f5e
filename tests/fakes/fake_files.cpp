#include "tests/fakes/fake_files.h"

#include <cstdint>

namespace {
FakeFiles the_files;
int next_handle_number = 1;

ExportFile open_file(const std::string& path) {
  const int number = next_handle_number++;
  the_files.open_files[number] = path;
  return reinterpret_cast<ExportFile>(static_cast<std::intptr_t>(number));
}

int handle_number(ExportFile file) { return static_cast<int>(reinterpret_cast<std::intptr_t>(file)); }
}  // namespace

FakeFiles& fake_files() { return the_files; }

void fake_files_reset() {
  the_files = FakeFiles();
  next_handle_number = 1;
}

// --- The export file seam ---------------------------------------------------

bool choose_export_path(DialogHandle, std::string& path) {
  ++the_files.save_dialogs_shown;
  std::string answer = kFakeCancel;
  if (!the_files.save_dialog_answers.empty()) {
    answer = the_files.save_dialog_answers.front();
    the_files.save_dialog_answers.pop_front();
  }
  if (answer == kFakeCancel) {
    the_files.calls.push_back("dialog cancel");
    return false;
  }
  the_files.calls.push_back("dialog");
  path = answer;
  return true;
}

CreateResult create_new_file(const std::string& path, ExportFile& file) {
  the_files.calls.push_back("create_new " + path);
  if (the_files.uncreatable_paths.count(path)) return CreateResult::failed;
  if (the_files.files.count(path)) return CreateResult::already_exists;
  the_files.files[path] = std::string();
  file = open_file(path);
  return CreateResult::created;
}

ExportFile create_or_replace_file(const std::string& path) {
  the_files.calls.push_back("replace " + path);
  if (the_files.uncreatable_paths.count(path)) return kNoExportFile;
  the_files.files[path] = std::string();
  return open_file(path);
}

bool write_file(ExportFile file, const char* bytes, std::size_t count) {
  ++the_files.writes;
  the_files.calls.push_back("write " + std::string(bytes, count));
  const auto open = the_files.open_files.find(handle_number(file));
  if (open == the_files.open_files.end()) return false;
  if (the_files.failing_write_number > 0 && the_files.writes >= the_files.failing_write_number) return false;
  the_files.files[open->second].append(bytes, count);
  return true;
}

void close_file(ExportFile file) {
  const auto open = the_files.open_files.find(handle_number(file));
  the_files.calls.push_back("close " + (open == the_files.open_files.end() ? std::string("?") : open->second));
  if (open != the_files.open_files.end()) the_files.open_files.erase(open);
}
