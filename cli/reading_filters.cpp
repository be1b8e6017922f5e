#include "cli/reading_filters.h"

#include "cli/time_argument.h"

namespace {

constexpr std::size_t kDateChars = 10;  // "YYYY-MM-DD"

// The bound as datetime_iso has it ("2008-05-23T14:32"); a date alone
// stands for its first minute or, at the end of a span, for its last.
std::optional<std::string> bound_of(const std::string& text, bool end_of_span, std::string& error) {
  const bool date_only = text.size() == kDateChars;
  const std::string time_text = date_only ? text + (end_of_span ? " 23:59" : " 00:00") : text;
  std::string problem;
  if (!parse_time_argument(time_text, problem)) {
    error = "\"" + text + "\" is no date: give YYYY-MM-DD or \"YYYY-MM-DD HH:MM\"";
    return std::nullopt;
  }
  std::string iso = time_text;
  iso[kDateChars] = 'T';
  return iso;
}

}  // namespace

std::optional<ReadingFilter> reading_filter_of(const ReadingFilterArguments& arguments, std::string& error) {
  ReadingFilter filter;
  filter.instrument = arguments.instrument;
  filter.user_id = arguments.user;
  filter.location = arguments.location;
  if (arguments.since && !(filter.since_iso = bound_of(*arguments.since, false, error))) return std::nullopt;
  if (arguments.until && !(filter.until_iso = bound_of(*arguments.until, true, error))) return std::nullopt;
  return filter;
}
