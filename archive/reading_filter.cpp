// The reading filter as a plain function, for readings that come from
// elsewhere than an archive. It must say what the SQLite archive's query
// (sqlite_reads.cpp) says for every reading: tests/archive compare the two.

#include <string_view>

#include "archive/archive.h"

namespace {

// The archive trims blanks only, not tabs or other white space.
std::string_view without_blanks_around(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

bool text_admitted(const std::optional<std::string>& wanted, const std::string& text) {
  return !wanted || without_blanks_around(*wanted) == without_blanks_around(text);
}

}  // namespace

bool filter_admits(const ReadingFilter& filter, const ArchivedReading& reading) {
  const LogHeaderValues& header = reading.reading.header;
  if (!text_admitted(filter.instrument, header.instrument_number) || !text_admitted(filter.user_id, header.user_id) ||
      !text_admitted(filter.location, reading.reading.location)) {
    return false;
  }
  if (filter.download_id && *filter.download_id != reading.download_id) return false;
  const std::optional<std::string>& time = reading.datetime_iso;
  if ((filter.since_iso || filter.until_iso) && !time) return false;
  if (filter.since_iso && *time < *filter.since_iso) return false;
  return !filter.until_iso || *time <= *filter.until_iso;
}
