// The log list's items: the log's lines as received, each in the form the
// list shows it, with a separator above each banner.

#include "datalog/log_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const std::string kBanner = kBannerLine;
const std::string kLongHeader = kLongColumnHeader;

TEST(LogListItems, OnlyTheExactHeadingsTakeTheirShownForm) {
  struct Case {
    std::string received;
    std::string shown;
  };
  const Case cases[] = {
      {"  719   VER. 3.1", " 719   VER. 3.1"},
      {" 719   VER. 3.1", " 719   VER. 3.1"},
      {"  719   VER. 3.1 ", "  719   VER. 3.1 "},
      {"  719   ver. 3.1", "  719   ver. 3.1"},
      {std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS ",
       std::string(28, ' ') + "LOC." + std::string(9, ' ') + "PPM" + std::string(5, ' ') + "STATUS"},
      {std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS",
       std::string(17, ' ') + "LOC." + std::string(8, ' ') + "PPM" + std::string(4, ' ') + "STATUS"},
      {kLongColumnHeader, kLongColumnHeader},
  };
  EXPECT_EQ(kLongHeader.size(), 55u);
  for (const Case& c : cases) EXPECT_EQ(shown_line(c.received), c.shown) << '"' << c.received << '"';
}

TEST(LogListItems, SeparatorOnlyAboveBannerLines) {
  struct ListCase {
    const char* name;
    Lines log_lines;
    Lines items;
  };
  const ListCase cases[] = {
      {"empty log", {}, {}},
      {"one banner as the instrument sends it", {kReceivedBanner, kShortColumnHeader, "05/23/08 1432   A00017   12"},
       {" ", kBanner, kLongHeader, "05/23/08 1432   A00017   12"}},
      {"three banners, each with its separator",
       {kBanner, "a", kReceivedBanner, "b", "c", kBanner},
       {" ", kBanner, "a", " ", kBanner, "b", "c", " ", kBanner}},
      {"near-banners get none",
       {" 719   VER. 3.2", " 719   VER. 3.1 ", "719   VER. 3.1", " 719  VER. 3.1"},
       {" 719   VER. 3.2", " 719   VER. 3.1 ", "719   VER. 3.1", " 719  VER. 3.1"}},
      {"EOT with a blank and lower case are lines", {"EOT ", "eot", " EOT"}, {"EOT ", "eot", " EOT"}},
      {"empty and blank lines kept", {"", " ", "x"}, {"", " ", "x"}},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(log_list_items(c.log_lines), c.items) << c.name;
  }
}

}  // namespace
