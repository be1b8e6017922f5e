// The log line store's reading rule and limits, as the readers rely on them.

#include "link/log_store.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LogStore, ReadingRuleStopsAtTheFirstExactEotOnly) {
  const std::string lines[] = {"a", "EOT ", "eot", " EOT", "EOT", "behind"};
  for (std::size_t i = 0; i < std::size(lines); ++i) log_store_put(i, lines[i]);
  EXPECT_EQ(log_store_line_count(), 4u);
  EXPECT_EQ(log_store_line(5), "behind") << "a reader never gets there, but the slot keeps it";
}

// The count is kept between questions; a change to the store must renew it.
TEST(LogStore, CountFollowsEveryChange) {
  log_store_end_at(3);
  EXPECT_EQ(log_store_line_count(), 3u);
  log_store_put(1, "EOT");
  EXPECT_EQ(log_store_line_count(), 1u);
  log_store_put(1, "line");
  EXPECT_EQ(log_store_line_count(), 3u);
  log_store_end_at(0);
  EXPECT_EQ(log_store_line_count(), 0u);
}

TEST(LogStore, EndingDropsEverythingBehindTheEnd) {
  for (std::size_t i = 0; i < 10; ++i) log_store_put(i, "old");
  log_store_end_at(2);
  log_store_put(3, "new");
  EXPECT_EQ(log_store_line_count(), 2u);
  EXPECT_EQ(log_store_line(2), "EOT");
  EXPECT_EQ(log_store_line(4), "") << "nothing of the old lines stays behind";
  EXPECT_EQ(log_store_line(100000), "");
}

TEST(LogStore, LinesAreCutToNinetyEightCharactersAndTheStoreGrows) {
  for (std::size_t i = 0; i <= 2500; ++i) log_store_put(i, std::string(120, 'x'));
  log_store_end_at(2501);
  EXPECT_EQ(log_store_line(2500), std::string(kLogLineMax, 'x'));
  EXPECT_EQ(log_store_line_count(), 2501u);
}

}  // namespace
