// A reading's date/time and PPM as values: exact calendar times and plain
// numbers only.

#include "datalog/reading_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ReadingDateTimeIso, TakesOnlyExactCalendarTimes) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"05/23/08 1432", "2008-05-23T14:32"}, {"01/01/00 0000", "2000-01-01T00:00"},
      {"12/31/99 2359", "2099-12-31T23:59"}, {"02/29/08 1200", "2008-02-29T12:00"},
      {"02/29/00 1200", "2000-02-29T12:00"}, {"04/30/26 0815", "2026-04-30T08:15"},
      {"02/29/09 1200", std::nullopt},       {"04/31/08 1200", std::nullopt},
      {"13/01/08 1200", std::nullopt},       {"00/10/08 1200", std::nullopt},
      {"05/00/08 1200", std::nullopt},       {"05/32/08 1200", std::nullopt},
      {"05/23/08 2400", std::nullopt},       {"05/23/08 1460", std::nullopt},
      {"05/23/08 1432 ", std::nullopt},      {" 05/23/08 1432", std::nullopt},
      {"05/23/2008 1432", std::nullopt},     {"05-23-08 1432", std::nullopt},
      {"05/23/08T1432", std::nullopt},       {"5/23/08 14321", std::nullopt},
      {"05/23/08 143a", std::nullopt},       {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(reading_datetime_iso(text), expected) << '"' << text << '"';
}

TEST(ReadingPpmValue, TakesPlainNonNegativeDecimalsWithBlanksAround) {
  const std::vector<std::pair<std::string, std::optional<double>>> cases = {
      {"  12", 12.0},         {"1050", 1050.0},       {"   0", 0.0},          {"0012", 12.0},
      {" 2.5", 2.5},          {" 12 ", 12.0},         {"", std::nullopt},     {"    ", std::nullopt},
      {"-12", std::nullopt},  {"+12", std::nullopt},  {"1 2", std::nullopt},  {"12.", std::nullopt},
      {".5", std::nullopt},   {"1e3", std::nullopt},  {"0x1F", std::nullopt}, {"1,5", std::nullopt},
      {"\t12", std::nullopt}, {"OVER", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(reading_ppm_value(text), expected) << '"' << text << '"';
}

}  // namespace
