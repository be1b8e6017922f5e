// The log list's items: the log's lines with a separator above each banner.

#include "datalog/log_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/log_transfer.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kBanner = kBannerLine;
const std::string kLongHeader = kLongColumnHeader;

// --- The list's items for a store ---------------------------------------------

struct ListCase {
  const char* name;
  Lines log_lines;
  Lines items;
};

TEST(LogListItems, SeparatorOnlyAboveExactBannerLines) {
  const ListCase cases[] = {
      {"empty log", {}, {}},
      {"one banner", {kBanner, kLongHeader, "05/23/08 1432   A00017        12    OK"},
       {" ", kBanner, kLongHeader, "05/23/08 1432   A00017        12    OK"}},
      {"three banners, each with its separator",
       {kBanner, "a", kBanner, "b", "c", kBanner},
       {" ", kBanner, "a", " ", kBanner, "b", "c", " ", kBanner}},
      {"near-banners get none",
       {"  719   VER. 3.1", " 719   VER. 3.2", " 719   VER. 3.1 ", "719   VER. 3.1", " 719  VER. 3.1"},
       {"  719   VER. 3.1", " 719   VER. 3.2", " 719   VER. 3.1 ", "719   VER. 3.1", " 719  VER. 3.1"}},
      {"EOT with a blank and lower case are lines", {"EOT ", "eot", " EOT"}, {"EOT ", "eot", " EOT"}},
      {"empty and blank lines kept", {"", " ", "x"}, {"", " ", "x"}},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(log_list_items(c.log_lines), c.items) << c.name;
  }
}

}  // namespace
