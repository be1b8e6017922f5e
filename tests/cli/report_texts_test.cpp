// The texts `719k report` makes for the page: an event's detail whatever
// keys its JSON holds, and the command that lists what the page leaves out.
// Which events are shown, at which local time, is tested end to end
// (tests/report/test_report_command.py), in a time zone with summer time.

#include "cli/report_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(ReportTexts, AnEventsDetailShowsEveryKeyAndChangesAsArrows) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"span":{"old":"0250","new":"0300"},"alarm":{"old":"0050","new":"0100"}})",
       "span 0250 \u2192 0300, alarm 0050 \u2192 0100"},
      {R"({"before":"05/23/08 1432","after":"05/23/08 1650"})", "05/23/08 1432 \u2192 05/23/08 1650"},
      {R"({"readings_erased":38,"all_archived":true})", "readings erased: 38, all archived: yes"},
      {R"({"settings":{"user_id":{"old":"M\u00fcller","new":"42"}},"port":null})",
       "settings: user id M\u00fcller \u2192 42, port: none"},
      {R"({"old":"1","new":"2","why":"service"})", "old: 1, new: 2, why: service"},  // more than a change
      {R"({"lines":[1,2.5,"x"]})", "lines: 1, 2.5, x"},
      {R"("a plain text")", "a plain text"},
      {"not JSON {", "not JSON {"},
  };
  for (const auto& [json, text] : cases) EXPECT_EQ(event_detail_text(json), text) << json;
}

TEST(ReportTexts, TheListingCommandCarriesTheArchiveAndFiltersQuotedWhereNeeded) {
  Invocation invocation;
  EXPECT_EQ(archive_listing_command(invocation), "719k archive readings");

  invocation.archive_path = "/srv/surveys/north site.sqlite";
  invocation.filters.location = "A00017";
  invocation.filters.user = "M\xFC\"x";
  invocation.filters.since = "2008-05-23 14:32";
  invocation.filters.until = "2008-05-24";
  EXPECT_EQ(archive_listing_command(invocation),
            "719k --archive \"/srv/surveys/north site.sqlite\" archive readings --user \"M\xFC\\\"x\" "
            "--location A00017 --since \"2008-05-23 14:32\" --until 2008-05-24");

  invocation = Invocation{};
  invocation.archive_path = "C:\\Surveys\\archive.sqlite";
  invocation.filters.instrument = "000123";
  EXPECT_EQ(archive_listing_command(invocation),
            "719k --archive C:\\Surveys\\archive.sqlite archive readings --instrument 000123");
}

}  // namespace
