#include "datalog/csv_export.h"

#include <algorithm>
#include <cstring>

#include "app/busy.h"
#include "datalog/files.h"
#include "datalog/log_download.h"
#include "link/log_store.h"

namespace {

constexpr int kExportProgressStep = 1;

constexpr MessageBoxSpec kOverwriteBox = {"File Already Exists. Overwrite?", "Warning", BoxButtons::yes_no,
                                          BoxIcon::none};
constexpr MessageBoxSpec kCannotCreateBox = {"Cannot Create File", "File Access Error", BoxButtons::ok,
                                             BoxIcon::error};
constexpr MessageBoxSpec kCannotWriteBox = {"Cannot Write File", "File Access Error", BoxButtons::ok,
                                            BoxIcon::error};

// A comma or quote would shift the columns of every reader; every other
// byte goes out as the instrument sent it.
bool needs_quotes(const char* text, std::size_t length) {
  return std::any_of(text, text + length, [](char c) { return c == ',' || c == '"'; });
}

std::string text_from(const std::string& line, std::size_t start) {
  return start < line.size() ? line.substr(start) : std::string();
}

void append_quoted(std::string& row, const char* text, std::size_t length) {
  row += '"';
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] == '"') row += '"';
    row += text[i];
  }
  row += '"';
}

void append_field(std::string& row, const char* text, std::size_t length) {
  if (needs_quotes(text, length)) {
    append_quoted(row, text, length);
  } else {
    row.append(text, length);
  }
}

void append_field(std::string& row, const std::string& text) { append_field(row, text.data(), text.size()); }

// The characters that the line has in the columns start to start + count,
// possibly none: short lines give short or empty fields.
void append_column(std::string& row, const std::string& line, std::size_t start, std::size_t count) {
  if (start >= line.size()) return;
  append_field(row, line.data() + start, std::min(count, line.size() - start));
}

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

LogLineClass classify_log_line(const std::string& line) {
  if (line.empty() || line[0] != ' ') return LogLineClass::data;
  if (line.size() >= 2) {
    if (line[1] == 'I') return LogLineClass::instrument;
    if (line[1] == 'U') return LogLineClass::user;
    if (line[1] == 'O') return LogLineClass::mode;
  }
  return LogLineClass::skipped;
}

void compose_csv_row(const ExportHeaderValues& values, const std::string& data_line, std::string& row) {
  row.clear();
  append_field(row, values.instrument_number);
  row += ',';
  append_field(row, values.user_id);
  row += ',';
  append_quoted(row, values.mode.data(), values.mode.size());
  row += ',';
  append_column(row, data_line, kDateTimeStart, kDateTimeChars);
  row += ',';
  append_column(row, data_line, kLocationStart, kLocationChars);
  row += ',';
  append_column(row, data_line, kPpmStart, kPpmChars);
  row += ',';
  append_column(row, data_line, kStatusStart, std::string::npos);
  row += "\r\n";
}

bool export_store_rows(const std::function<bool(const std::string& row)>& write_row) {
  ExportHeaderValues values;
  std::string row;
  const std::size_t line_count = log_store_line_count();
  for (std::size_t index = 0; index < line_count; ++index) {
    const std::string& line = log_store_line(index);
    switch (classify_log_line(line)) {
      case LogLineClass::instrument:
        values.instrument_number = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::user:
        values.user_id = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::mode:
        values.mode = text_from(line, kHeaderValueStart);
        break;
      case LogLineClass::skipped:
        break;
      case LogLineClass::data:
        compose_csv_row(values, line, row);
        if (!write_row(row)) return false;
        break;
    }
  }
  return true;
}

void export_log(DialogHandle dialog) {
  busy_start(dialog, kExportBusyText, kLogProgressTop, kExportProgressStep);
  const ExportFile file = open_export_file(dialog);
  if (file == kNoExportFile) {
    busy_finish(dialog);
    return;
  }
  const bool written = write_file(file, kExportHeaderLine, std::strlen(kExportHeaderLine)) &&
                       export_store_rows([dialog, file](const std::string& row) {
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
