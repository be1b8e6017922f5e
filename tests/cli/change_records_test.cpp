// The events' details as 719k writes them and as archive history reads them
// back for people: each kind's detail built and summarised in one line, the
// instrument's bytes kept, and a detail of another form shown as it is
// rather than lost.

#include "cli/change_records.h"

#include <gtest/gtest.h>

#include "tests/instrument/clock_records.h"

namespace {

ClockReading clock_of(const char* text, int year, int month, int day, int hour, int minute) {
  ClockReading reading;
  reading.answered = true;
  reading.clock_text = text;
  reading.time = calendar_time(year, month, day, hour, minute, 0);
  return reading;
}

EventRecord event_of(EventKind kind, const std::string& detail) {
  return EventRecord{"2026-12-07T19:09:24Z", std::string("COM3"), std::string("000123"), kind, detail};
}

TEST(ChangeRecords, EachKindsDetailReadsBackAsOneLine) {
  SettingTexts named, before, after;
  SettingOrderOutcomes outcomes{};
  text_of(named, Setting::alarm_setting) = "0070";
  text_of(before, Setting::alarm_setting) = "0050";
  text_of(after, Setting::alarm_setting) = "0070";
  outcomes[static_cast<std::size_t>(Setting::alarm_setting)] = OrderOutcome::confirmed;
  // A byte above 127 goes into the JSON as Latin-1 and comes back as the byte.
  text_of(named, Setting::user_id) = "M\xFCller";
  text_of(before, Setting::user_id) = "000000042";
  text_of(after, Setting::user_id) = "M\xFCller";
  outcomes[static_cast<std::size_t>(Setting::user_id)] = OrderOutcome::not_confirmed;
  CollectSummary stored;
  stored.download_id = 3;
  stored.lines = 30;
  stored.readings = 24;
  stored.new_readings = 2;
  stored.complete = true;
  stored.erased = true;
  CollectSummary failed;
  failed.readings = 5;

  const struct {
    EventKind kind;
    std::string detail;
    std::string summary;
  } cases[] = {
      {EventKind::config_set, settings_change_detail(named, before, after, outcomes),
       "user_id 000000042 -> M\xFCller (not confirmed), alarm 0050 -> 0070"},
      {EventKind::clock_set,
       clock_change_detail(clock_of("05/23/08 1650", 2008, 5, 23, 16, 50),
                           clock_of("12/07/26 2009", 2026, 12, 7, 20, 9), true, -3600),
       "05/23/08 1650 -> 12/07/26 2009 (it was off by -3600 s)"},
      {EventKind::clock_set,
       clock_change_detail(clock_of("05/23/08 1650", 2008, 5, 23, 16, 50), ClockReading{}, false, std::nullopt),
       "05/23/08 1650 -> ? (not confirmed)"},
      {EventKind::erase, erase_detail({3, 24, true, true}), "24 readings erased, every one archived (download 3)"},
      {EventKind::erase, erase_detail({std::nullopt, std::nullopt, std::nullopt, false}),
       "erased; its last download was incomplete"},
      {EventKind::erase, erase_detail({}), "erased; no download of it in the archive"},
      {EventKind::collect, collect_detail(stored), "download 3: 30 lines, 24 readings (2 new), complete, erased"},
      {EventKind::collect, collect_detail(failed), "nothing stored"},
      {EventKind::erase, R"({"by": "another program"})", R"({"by": "another program"})"},
      {EventKind::collect, "not JSON", "not JSON"},
  };
  for (const auto& c : cases) EXPECT_EQ(change_summary(event_of(c.kind, c.detail)), c.summary) << c.detail;
}

}  // namespace
