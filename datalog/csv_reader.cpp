#include "datalog/csv_reader.h"

#include <array>
#include <streambuf>
#include <string_view>
#include <vector>

#include "datalog/csv.h"

namespace {

constexpr std::size_t kFieldsPerRow = 7;
constexpr int kEnd = std::char_traits<char>::eof();

// The header line without its line end.
std::string_view header_text() {
  const std::string_view line = kCsvHeaderLine;
  return line.substr(0, line.size() - 2);
}

// How a field or row ended.
enum class FieldEnd { comma, line_end, file_end, fault };

// The stream's bytes through a block of its own: a million rows read byte
// by byte through the stream buffer's calls cost more than the parsing.
// Reads ahead of the row being read, at most a block.
class ByteSource {
 public:
  explicit ByteSource(std::streambuf& input) : input_(input), block_(kBlockBytes) {}

  int peek() { return next_ < end_ || refill() ? to_int(*next_) : kEnd; }
  int bump() { return next_ < end_ || refill() ? to_int(*next_++) : kEnd; }

  // Appends the bytes before the next comma, quote, CR or LF (or the end).
  void take_plain_run(std::string& field) {
    for (;;) {
      const char* run_end = next_;
      while (run_end < end_ && !ends_plain_run(*run_end)) ++run_end;
      field.append(next_, run_end);
      next_ = run_end;
      if (next_ < end_ || !refill()) return;
    }
  }

 private:
  static constexpr std::size_t kBlockBytes = 64 * 1024;

  static int to_int(char c) { return std::char_traits<char>::to_int_type(c); }
  static bool ends_plain_run(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

  bool refill() {
    const std::streamsize got = input_.sgetn(block_.data(), static_cast<std::streamsize>(block_.size()));
    next_ = block_.data();
    end_ = next_ + (got > 0 ? got : 0);
    return got > 0;
  }

  std::streambuf& input_;
  std::vector<char> block_;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
};

class RowReader {
 public:
  explicit RowReader(std::streambuf& input) : input_(input) {}
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // Reads the next row's fields into fields_; false at the end of the file
  // (a row has begun only when a byte was read) or at a fault, whose text
  // problem() gives.
  bool next_row() {
    row_line_ = line_;
    field_count_ = 0;
    if (input_.peek() == kEnd) return false;
    for (;;) {
      std::string& field = field_count_ < kFieldsPerRow ? *fields_[field_count_] : overflow_;
      field.clear();
      ++field_count_;
      switch (read_field(field)) {
        case FieldEnd::comma:
          continue;
        case FieldEnd::line_end:
          return check_field_count();
        case FieldEnd::file_end:
          return fail("the row has no line end: the file was cut short");
        case FieldEnd::fault:
          return false;
      }
    }
  }

  // Compared byte by byte, so that a file of one endless line is refused
  // as soon as it differs.
  bool read_header() {
    for (const char expected : header_text()) {
      if (input_.bump() != std::char_traits<char>::to_int_type(expected)) return false;
    }
    int c = input_.bump();
    if (c == '\r') c = input_.bump();
    ++line_;
    return c == '\n';
  }

  // The last row read, valid until the next.
  const Reading& reading() const { return reading_; }

  std::size_t row_line() const { return row_line_; }
  const std::string& problem() const { return problem_; }

 private:
  FieldEnd read_field(std::string& field) {
    if (input_.peek() == '"') {
      input_.bump();
      return read_quoted(field);
    }
    input_.take_plain_run(field);
    const int c = input_.bump();
    if (c == ',') return FieldEnd::comma;
    if (c == kEnd) return FieldEnd::file_end;
    if (c == '\n' || c == '\r') return line_end(c);
    return fault("a quote inside an unquoted field");
  }

  FieldEnd read_quoted(std::string& field) {
    for (;;) {
      const int c = input_.bump();
      if (c == kEnd) return fault("the file ends inside a quoted field");
      if (c == '\n') ++line_;
      if (c != '"') {
        field += static_cast<char>(c);
      } else if (input_.peek() == '"') {
        field += static_cast<char>(input_.bump());
      } else {
        const int after = input_.bump();
        if (after == ',') return FieldEnd::comma;
        if (after == kEnd) return FieldEnd::file_end;
        if (after == '\n' || after == '\r') return line_end(after);
        return fault("text after a closing quote");
      }
    }
  }

  // A line ends with LF or CR LF; a CR alone is not a line end the writer
  // makes.
  FieldEnd line_end(int c) {
    if (c == '\r' && input_.bump() != '\n') return fault("a carriage return outside quotes");
    ++line_;
    return FieldEnd::line_end;
  }

  bool check_field_count() {
    if (field_count_ == kFieldsPerRow) return true;
    return fail(std::to_string(kFieldsPerRow) + " fields expected, " + std::to_string(field_count_) + " found");
  }

  FieldEnd fault(const std::string& problem) {
    fail(problem);
    return FieldEnd::fault;
  }

  bool fail(const std::string& problem) {
    problem_ = problem;
    return false;
  }

  ByteSource input_;
  // The fields are read straight into the reading, whose strings keep their
  // storage from row to row.
  Reading reading_;
  const std::array<std::string*, kFieldsPerRow> fields_{&reading_.header.instrument_number, &reading_.header.user_id,
                                                        &reading_.header.mode,  &reading_.date_time,
                                                        &reading_.location,     &reading_.ppm,
                                                        &reading_.status};
  std::string overflow_;
  std::size_t field_count_ = 0;
  std::size_t line_ = 1;
  std::size_t row_line_ = 1;
  std::string problem_;
};

}  // namespace

CsvReadResult read_csv_readings(std::istream& csv, const std::function<bool(const Reading& reading)>& on_reading) {
  // The stream buffer directly: a million rows through the stream's
  // sentries cost more than the parsing.
  RowReader rows(*csv.rdbuf());
  if (!rows.read_header()) {
    return CsvReadResult{CsvReadStatus::not_an_export, 0, 1, "the first line is not the export's header line"};
  }
  std::size_t readings = 0;
  while (rows.next_row()) {
    if (!on_reading(rows.reading())) return CsvReadResult{CsvReadStatus::stopped, readings, rows.row_line(), ""};
    ++readings;
  }
  if (!rows.problem().empty()) {
    return CsvReadResult{CsvReadStatus::bad_row, readings, rows.row_line(), rows.problem()};
  }
  return CsvReadResult{CsvReadStatus::read, readings, 0, ""};
}
