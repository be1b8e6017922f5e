#include "archive/row_batch.h"

#include "datalog/latin1.h"

RowBatch::RowBatch(Database& database, const std::string& insert_head, int columns)
    : database_(database),
      insert_head_(insert_head),
      columns_(columns),
      full_(database, insert_sql(kRowsPerInsert).c_str()) {
  values_.reserve(static_cast<std::size_t>(kRowsPerInsert * columns));
}

RowBatch& RowBatch::text(std::string_view text) {
  values_.push_back(Value{Kind::text, 0, 0, texts_.size(), text.size()});
  texts_ += text;
  return *this;
}

RowBatch& RowBatch::instrument_text(std::string_view bytes) {
  const std::size_t start = texts_.size();
  append_utf8_of_latin1(bytes, texts_);
  values_.push_back(Value{Kind::text, 0, 0, start, texts_.size() - start});
  return *this;
}

RowBatch& RowBatch::optional_text(const std::optional<std::string>& text) {
  if (!text) {
    values_.push_back(Value{});
    return *this;
  }
  return this->text(*text);
}

RowBatch& RowBatch::integer(std::int64_t value) {
  values_.push_back(Value{Kind::integer, value, 0, 0, 0});
  return *this;
}

RowBatch& RowBatch::optional_integer(std::optional<std::int64_t> value) {
  values_.push_back(value ? Value{Kind::integer, *value, 0, 0, 0} : Value{});
  return *this;
}

RowBatch& RowBatch::optional_real(std::optional<double> value) {
  values_.push_back(value ? Value{Kind::real, 0, *value, 0, 0} : Value{});
  return *this;
}

void RowBatch::end_row() {
  if (++rows_ == kRowsPerInsert) insert(full_);
}

void RowBatch::flush() {
  if (rows_ == 0) return;
  Statement rest(database_, insert_sql(rows_).c_str());
  insert(rest);
}

std::string RowBatch::insert_sql(int rows) const {
  std::string row = "(?";
  for (int i = 1; i < columns_; ++i) row += ", ?";
  row += ")";
  std::string sql = insert_head_ + " " + row;
  for (int i = 1; i < rows; ++i) sql += ", " + row;
  return sql;
}

void RowBatch::insert(Statement& statement) {
  int index = 0;
  for (const Value& value : values_) {
    ++index;
    switch (value.kind) {
      case Kind::null:
        statement.bind_null(index);
        break;
      case Kind::integer:
        statement.bind(index, value.integer);
        break;
      case Kind::real:
        statement.bind(index, value.real);
        break;
      case Kind::text:
        // texts_ stays as it is until the step is done.
        statement.bind_kept(index, std::string_view(texts_).substr(value.text_start, value.text_size));
        break;
    }
  }
  statement.step();
  statement.reset();
  values_.clear();
  texts_.clear();
  rows_ = 0;
}
