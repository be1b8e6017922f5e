// The printed pages of the log list: 58 lines a page at fixed positions in
// 1/600 inch on any device, and the long column header in its short form.

#include "datalog/print_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datalog/log_list.h"
#include "tests/fakes/numbered_lines.h"

namespace {

using Lines = std::vector<std::string>;

Lines numbered_items(int count) { return numbered_lines("line ", count); }

// --- Layout -------------------------------------------------------------------

struct PaginationCase {
  int items;
  std::vector<std::size_t> lines_per_page;
};

TEST(LayOutPages, FiftyEightLinesAPageLastPageHoldsTheRest) {
  const PaginationCase cases[] = {
      {0, {}}, {1, {1}}, {58, {58}}, {59, {58, 1}}, {116, {58, 58}}, {117, {58, 58, 1}},
  };
  for (const PaginationCase& c : cases) {
    const std::vector<PrintedPage> pages = lay_out_pages(numbered_items(c.items), {600, 600});
    std::vector<std::size_t> lines_per_page;
    for (const PrintedPage& page : pages) lines_per_page.push_back(page.size());
    EXPECT_EQ(lines_per_page, c.lines_per_page) << c.items << " items";
  }
}

TEST(LayOutPages, ItemsStayInListOrderAcrossPages) {
  const std::vector<PrintedPage> pages = lay_out_pages(numbered_items(59), {600, 600});
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].front().text, "line 0");
  EXPECT_EQ(pages[0].back().text, "line 57");
  EXPECT_EQ(pages[1].front().text, "line 58");
}

struct PositionCase {
  PrinterResolution resolution;
  int x;
  int first_y;
  int spacing;
  int last_y;
};

TEST(LayOutPages, PositionsAreSixHundredthsOfAnInchOnAnyDevice) {
  const PositionCase cases[] = {
      {{600, 600}, 10, 200, 100, 5900},
      {{300, 300}, 5, 100, 50, 2950},
      {{1200, 600}, 20, 200, 100, 5900},
      {{600, 1200}, 10, 400, 200, 11800},
      {{96, 96}, 2, 32, 16, 944},  // 1.6 rounds to 2
  };
  for (const PositionCase& c : cases) {
    const std::vector<PrintedPage> pages = lay_out_pages(numbered_items(60), c.resolution);
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[1].size(), 2u);
    const PrintedPage& page = pages[0];
    for (std::size_t i = 0; i < page.size(); ++i) {
      EXPECT_EQ(page[i].x, c.x) << c.resolution.dots_per_inch_x << " dpi, line " << i;
      EXPECT_EQ(page[i].y, c.first_y + static_cast<int>(i) * c.spacing)
          << c.resolution.dots_per_inch_y << " dpi, line " << i;
    }
    EXPECT_EQ(page.back().y, c.last_y);
    EXPECT_EQ(pages[1][0].y, c.first_y) << "each page starts at the top";
    EXPECT_EQ(pages[1][1].y, c.first_y + c.spacing);
  }
}

TEST(PrintedText, OnlyTheExactLongHeaderIsSwappedForTheShortForm) {
  const std::string long_header = kLongColumnHeader;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {long_header, kShortColumnHeader},
      {long_header + " ", long_header + " "},
      {long_header.substr(1), long_header.substr(1)},
      {kShortColumnHeader, kShortColumnHeader},
      {" ", " "},
      {kBannerLine, kBannerLine},
      {"", ""},
  };
  for (const auto& [item, printed] : cases) EXPECT_EQ(printed_text(item), printed) << '"' << item << '"';
}

}  // namespace
