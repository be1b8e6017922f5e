#pragma once
// Rows inserted into one table several at a time: a statement of
// kRowsPerInsert rows, prepared once, runs for each full batch, and one of
// fewer rows for the rest at flush. A statement's run costs SQLite far more
// than one row in it, so a download's hundred thousand lines go in with a
// few thousand runs instead.
//
// Texts are copied into the batch as they are added and bound from there,
// so the caller's buffers may change at once. Rows go in in the order they
// were added, so ids given by the table follow that order.
//
// It does not open or end a transaction: the caller flushes before it reads
// the table or commits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/sqlite.h"

inline constexpr int kRowsPerInsert = 64;

class RowBatch {
 public:
  // insert_head is the statement up to its VALUES ("INSERT INTO t (a, b)
  // VALUES"); columns the number of values in each row.
  RowBatch(Database& database, const std::string& insert_head, int columns);

  RowBatch& text(std::string_view text);
  // The instrument's bytes, stored as their Latin-1 characters in UTF-8.
  RowBatch& instrument_text(std::string_view bytes);
  RowBatch& optional_text(const std::optional<std::string>& text);
  RowBatch& integer(std::int64_t value);
  RowBatch& optional_integer(std::optional<std::int64_t> value);
  RowBatch& optional_real(std::optional<double> value);
  // After the row's last value; runs the statement when the batch is full.
  void end_row();
  // Inserts the rows added since the last run.
  void flush();

 private:
  enum class Kind { null, integer, real, text };
  struct Value {
    Kind kind = Kind::null;
    std::int64_t integer = 0;
    double real = 0;
    std::size_t text_start = 0;  // in texts_
    std::size_t text_size = 0;
  };

  std::string insert_sql(int rows) const;
  void insert(Statement& statement);

  Database& database_;
  std::string insert_head_;
  int columns_;
  Statement full_;
  std::vector<Value> values_;
  std::string texts_;
  int rows_ = 0;
};
