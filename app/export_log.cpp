#include "app/export_log.h"

#include <cstring>
#include <string>

#include "app/busy.h"
#include "app/data_log_panel.h"
#include "app/files.h"
#include "datalog/csv.h"

namespace {

constexpr int kExportProgressStep = 1;

constexpr MessageBoxSpec kOverwriteBox = {"File Already Exists. Overwrite?", "Warning", BoxButtons::yes_no,
                                          BoxIcon::none};
constexpr MessageBoxSpec kCannotCreateBox = {"Cannot Create File", "File Access Error", BoxButtons::ok,
                                             BoxIcon::error};
constexpr MessageBoxSpec kCannotWriteBox = {"Cannot Write File", "File Access Error", BoxButtons::ok,
                                            BoxIcon::error};

// The save dialog, the exclusive creation and the overwrite question, whose
// No goes back to the dialog. kNoExportFile when there is nothing to write to.
ExportFile open_export_file(DialogHandle dialog) {
  for (;;) {
    std::string path;
    if (!choose_export_path(dialog, path)) return kNoExportFile;
    ExportFile file = kNoExportFile;
    const CreateResult created = create_new_file(path, file);
    if (created == CreateResult::already_exists) {
      if (show_message_box(dialog, kOverwriteBox) != BoxAnswer::yes) continue;
      file = create_or_replace_file(path);
    }
    if (file == kNoExportFile) show_message_box(dialog, kCannotCreateBox);
    return file;
  }
}

}  // namespace

void export_log(DialogHandle dialog) {
  busy_start(dialog, kExportBusyText, kLogProgressTop, kExportProgressStep);
  const ExportFile file = open_export_file(dialog);
  if (file == kNoExportFile) {
    busy_finish(dialog);
    return;
  }
  const bool written = write_file(file, kCsvHeaderLine, std::strlen(kCsvHeaderLine)) &&
                       for_each_csv_row(downloaded_log_lines(), [dialog, file](const std::string& row) {
                         if (!write_file(file, row.data(), row.size())) return false;
                         progress_step(dialog);
                         return true;
                       });
  if (written) {
    busy_finish(dialog);
    close_file(file);
    return;
  }
  close_file(file);
  show_message_box(dialog, kCannotWriteBox);
  busy_finish(dialog);
}
