#include "archive/multi_row_insert.h"

#include <utility>

MultiRowInsert::MultiRowInsert(Database& database, const std::string& insert_head, int columns, BindRow bind_row)
    : database_(database),
      insert_head_(insert_head),
      columns_(columns),
      bind_row_(std::move(bind_row)),
      full_(database, insert_sql(kRowsPerInsert).c_str()) {}

void MultiRowInsert::add_row() {
  bind_row_(full_, static_cast<int>(rows_) * columns_ + 1, rows_);
  if (++rows_ == kRowsPerInsert) insert(full_);
}

void MultiRowInsert::flush() {
  if (rows_ == 0) return;
  Statement rest(database_, insert_sql(rows_).c_str());
  for (std::size_t row = 0; row < rows_; ++row) bind_row_(rest, static_cast<int>(row) * columns_ + 1, row);
  insert(rest);
}

std::string MultiRowInsert::insert_sql(std::size_t rows) const {
  std::string row = "(?";
  for (int i = 1; i < columns_; ++i) row += ", ?";
  row += ")";
  std::string sql = insert_head_ + " " + row;
  for (std::size_t i = 1; i < rows; ++i) sql += ", " + row;
  return sql;
}

void MultiRowInsert::insert(Statement& statement) {
  statement.step();
  statement.reset();
  rows_ = 0;
}
