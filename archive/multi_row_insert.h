#pragma once
// Rows inserted into one table several at a time: a statement of
// kRowsPerInsert rows, prepared once, runs for each full batch, and one of
// fewer rows for the rest at flush. A statement's run costs SQLite far more
// than one row in it, so a download's hundred thousand lines go in with
// four hundred runs instead.
//
// The values stay the caller's: it keeps each pending row's values in the
// place next_row names, binds them when asked (texts bound as kept, unchanged
// until the batch is inserted), and may be asked again for the rows left at
// flush. Rows go in in the order added, so ids given by the table follow it.
//
// It does not open or end a transaction: the caller flushes before it reads
// the table or commits.

#include <cstddef>
#include <functional>
#include <string>

#include "archive/sqlite.h"

inline constexpr std::size_t kRowsPerInsert = 256;

class MultiRowInsert {
 public:
  // Binds the values of the row kept at row, the first at parameter
  // first_parameter (as SQL's ?N).
  using BindRow = std::function<void(Statement& statement, int first_parameter, std::size_t row)>;

  // insert_head is the statement up to its VALUES ("INSERT INTO t (a, b)
  // VALUES"); columns the number of values in each row.
  MultiRowInsert(Database& database, const std::string& insert_head, int columns, BindRow bind_row);

  // Where the caller keeps the next row's values: 0 to kRowsPerInsert - 1.
  std::size_t next_row() const { return rows_; }
  // The row at next_row is complete; a full batch is inserted.
  void add_row();
  // Inserts the rows added since the last batch.
  void flush();

 private:
  std::string insert_sql(std::size_t rows) const;
  void insert(Statement& statement);

  Database& database_;
  std::string insert_head_;
  int columns_;
  BindRow bind_row_;
  Statement full_;
  std::size_t rows_ = 0;
};
