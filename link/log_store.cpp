#include "link/log_store.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> store;

// The reading rule's answer, kept until the store changes: readers ask for
// the count in their loop conditions, and a long log would make every
// question a walk over the whole store.
bool line_count_known = false;
std::size_t line_count = 0;

}  // namespace

std::size_t log_store_line_count() {
  if (!line_count_known) {
    line_count = static_cast<std::size_t>(std::find(store.begin(), store.end(), kEndOfLog) - store.begin());
    line_count_known = true;
  }
  return line_count;
}

const std::string& log_store_line(std::size_t index) {
  static const std::string kNoLine;
  return index < store.size() ? store[index] : kNoLine;
}

void log_store_put(std::size_t slot, const std::string& line) {
  if (slot >= store.size()) store.resize(slot + 1);
  store[slot] = line.substr(0, kLogLineMax);
  line_count_known = false;
}

void log_store_end_at(std::size_t slot) {
  store.resize(slot + 1);
  store[slot] = kEndOfLog;
  line_count_known = false;
}
