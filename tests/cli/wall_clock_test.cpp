// UTC as the archive writes its times, worked out without gmtime: a table of
// instants around the calendar's edges, each written and read back, and
// the texts that are no such time.

#include "cli/wall_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(WallClock, UtcIsoOfAnInstantReadsBackToTheSameInstant) {
  const struct {
    long long seconds;
    const char* text;
  } cases[] = {
      {0, "1970-01-01T00:00:00Z"},
      {951782400, "2000-02-29T00:00:00Z"},          // a leap day of a year divisible by 400
      {1709251199, "2024-02-29T23:59:59Z"},         // the last second of a leap day
      {1798761599, "2026-12-31T23:59:59Z"},         // the year's last second
      {4107542400, "2100-03-01T00:00:00Z"},         // 2100 has no 29 February
      {-1, "1969-12-31T23:59:59Z"},                 // before 1970
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utc_iso_of(static_cast<std::time_t>(c.seconds)), c.text);
    EXPECT_EQ(time_of_utc_iso(c.text), std::optional<std::time_t>(static_cast<std::time_t>(c.seconds))) << c.text;
  }
}

TEST(WallClock, TextsThatAreNoUtcTimeGiveNone) {
  for (const char* text : {"2026-02-29T00:00:00Z", "2100-02-29T12:00:00Z", "2026-13-01T00:00:00Z",
                           "2026-12-07T24:00:00Z", "2026-12-07T19:09:24+01:00", "2026-12-07 19:09:24Z",
                           "2026-12-07T19:09:24", "", "not a time at all!!!"}) {
    EXPECT_FALSE(time_of_utc_iso(text)) << text;
  }
}

}  // namespace
