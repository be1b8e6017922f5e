// The texts `719k report` makes for the page: an event's detail whatever
// keys its JSON holds, events in local time against readings in local
// time, and the command that lists what the page leaves out.

#include "cli/report_texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace {

// Central European time with its summer time: UTC+1 in winter, UTC+2 in
// summer, so a conversion that ignores the date's own rule is off by an hour.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", old_.c_str(), 1);
    }
    tzset();
  }

 private:
  std::string old_;
};

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

TEST(ReportTexts, EventsAndBoundsConvertWithTheDatesOwnOffset) {
  const TimeZone zone(kCentralEurope);
  const std::tuple<const char*, bool, std::optional<std::string>> bounds[] = {
      {"2008-05-23T14:32", false, "2008-05-23T12:32:00Z"},  // summer
      {"2008-01-10T00:10", true, "2008-01-09T23:10:59Z"},   // winter, across midnight
      {"2008-02-30T10:00", false, std::nullopt},
      {"14:32", false, std::nullopt},
  };
  for (const auto& [local, last_second, utc] : bounds) {
    EXPECT_EQ(utc_bound_of_local_minute(local, last_second), utc) << local;
  }

  const auto event = [](EventKind kind, const char* at, std::optional<std::string> instrument) {
    return ArchivedEvent{1, EventRecord{at, "COM3", std::move(instrument), kind, R"({"readings_erased":3})"}};
  };
  const std::optional<ReportEvent> erase = report_event_of(event(EventKind::erase, "2008-05-23T12:32:07Z", "000123"));
  ASSERT_TRUE(erase);
  EXPECT_EQ(std::tie(erase->at, erase->instrument, erase->kind, erase->detail),
            std::tie("2008-05-23T14:32", "000123", "log erased", "readings erased: 3"));
  EXPECT_EQ(report_event_of(event(EventKind::config_set, "2008-12-31T23:30:00Z", std::nullopt))->at,
            "2009-01-01T00:30");
  EXPECT_EQ(report_event_of(event(EventKind::clock_set, "yesterday", "1"))->at, "yesterday");
  EXPECT_FALSE(report_event_of(event(EventKind::collect, "2008-05-23T12:32:07Z", "000123")));
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
