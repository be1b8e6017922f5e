// The page's text: the instrument's Latin-1 bytes and the caller's texts as
// UTF-8 that no byte can break, and the page's number and time formats.

#include "report/html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

struct TextCase {
  std::string input;
  std::string html;
};

TEST(HtmlText, EscapesSpecialsConvertsLatin1AndShowsControlsAsPictures) {
  const TextCase cases[] = {
      {"A00017", "A00017"},
      {"<b>&\"'", "&lt;b&gt;&amp;&quot;&#39;"},
      {"caf\xE9 \xFF", "caf\xC3\xA9 \xC3\xBF"},
      {"\xA0", "\xC2\xA0"},
      {std::string("a\0b", 3), "a\xE2\x90\x80" "b"},  // NUL as U+2400
      {"\x1B", "\xE2\x90\x9B"},                       // ESC as U+241B
      {"\x7F", "\xE2\x90\xA1"},
      {"\x80\x9F", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // C1 controls
      {"\t\r\n", "\t\r\n"},
  };
  for (const auto& [input, html] : cases) EXPECT_EQ(html_text(input), html) << '"' << input << '"';
}

TEST(CallerText, ValidUtf8PassesAndAnythingElseIsTakenAsLatin1) {
  const TextCase cases[] = {
      {"B\xC3\xBCro <1>", "B\xC3\xBCro &lt;1&gt;"},
      {"\xE2\x82\xAC \xF0\x9F\x93\x88", "\xE2\x82\xAC \xF0\x9F\x93\x88"},
      {"B\xFCro", "B\xC3\xBCro"},                       // Latin-1
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xEF\xBF\xBD"},  // surrogate
      {"\xFC\x80\x80\x80", "\xC3\xBC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // no such lead byte
      {"\xE2\x82", "\xC3\xA2\xEF\xBF\xBD"},             // cut short
      {"\xC2\x85", "\xEF\xBF\xBD"},                     // a C1 control in UTF-8
      {"\xEF\xBF\xBE", "\xEF\xBF\xBD"},                 // a noncharacter
  };
  for (const auto& [input, html] : cases) EXPECT_EQ(caller_text(input), html) << '"' << input << '"';
}

TEST(PageFormats, NumbersCountsTimesAndCoordinates) {
  const std::pair<double, const char*> ppm[] = {{12, "12"},    {0, "0"},        {-0.0, "0"},
                                                {2.5, "2.5"},  {0.126, "0.13"}, {0.5004, "0.5"},
                                                {1e15, "1000000000000000"}};
  for (const auto& [value, text] : ppm) EXPECT_EQ(format_ppm(value), text) << value;
  EXPECT_EQ(format_mean(280.83), "280.8");
  const std::pair<std::size_t, const char*> counts[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1000000, "1,000,000"}};
  for (const auto& [count, text] : counts) EXPECT_EQ(format_count(count), text);
  EXPECT_EQ(display_time("2008-05-23T14:32"), "2008-05-23 14:32");
  EXPECT_EQ(display_time("<no time>"), "&lt;no time&gt;");
  // Escaping must not move the separator that is replaced.
  EXPECT_EQ(display_time("&&&&&&&&&&T&&&&&"), html_text("&&&&&&&&&&") + ' ' + html_text("&&&&&"));
  const std::pair<double, const char*> coordinates[] = {{12, "12"},     {12.54, "12.5"}, {12.96, "13"},
                                                        {-3.25, "-3.3"}, {-0.04, "0"},    {0.05, "0.1"}};
  for (const auto& [value, text] : coordinates) {
    std::string page;
    append_coordinate(page, value);
    EXPECT_EQ(page, text) << value;
  }
}

}  // namespace
