// A reading's texts as values: the log's time as calendar time and the PPM
// and alarm texts as numbers, refused rather than guessed.

#include "report/reading_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(IsoOfLogTime, OnlyARealDayAndMinuteInTheInstrumentsFormGiveATime) {
  const struct {
    std::string log_time;
    std::optional<std::string> iso;
  } cases[] = {
      {"05/23/08 1432", "2008-05-23T14:32"},
      {"12/31/99 2359", "2099-12-31T23:59"},
      {"01/01/00 0000", "2000-01-01T00:00"},
      {"02/29/08 1200", "2008-02-29T12:00"},  // leap year
      {"02/29/07 1200", std::nullopt},
      {"04/31/08 1200", std::nullopt},
      {"13/01/08 1200", std::nullopt},
      {"00/10/08 1200", std::nullopt},
      {"05/00/08 1200", std::nullopt},
      {"05/23/08 2400", std::nullopt},
      {"05/23/08 1460", std::nullopt},
      {"05/23/08 143", std::nullopt},  // a short line's cut field
      {"05/23/08  1432", std::nullopt},
      {"05-23-08 1432", std::nullopt},
      {"05/23/0a 1432", std::nullopt},
      {" 5/23/08 1432", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [log_time, iso] : cases) EXPECT_EQ(iso_of_log_time(log_time), iso) << '"' << log_time << '"';
}

TEST(PpmValueOf, BlankPaddedDecimalsAreNumbersAndAnythingElseIsNone) {
  const struct {
    std::string text;
    std::optional<double> value;
  } cases[] = {
      {"  12", 12},   {"1050", 1050}, {"0050", 50},         {"   0", 0},           {"2.5", 2.5},
      {" -3 ", -3},   {"\t7", 7},     {"", std::nullopt},   {"    ", std::nullopt}, {"12a", std::nullopt},
      {"1 2", std::nullopt}, {"+5", std::nullopt}, {"1e3", std::nullopt}, {"inf", std::nullopt},
      {"nan", std::nullopt}, {"ERR", std::nullopt}, {"0x10", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ppm_value_of(text), value) << '"' << text << '"';
}

TEST(ReportReadingOf, KeepsTheLogsTextsAndAddsTheirValuesAndTheAlarm) {
  const Reading reading{{"000123", "000000042", "M1"}, "05/23/08 1432", "A00017", " 125", "HIGH"};
  const ReportReading converted = report_reading_of(reading, 50.0);
  EXPECT_EQ(converted.instrument, "000123");
  EXPECT_EQ(converted.user_id, "000000042");
  EXPECT_EQ(converted.mode, "M1");
  EXPECT_EQ(converted.datetime, "05/23/08 1432");
  EXPECT_EQ(converted.location, "A00017");
  EXPECT_EQ(converted.ppm, " 125");
  EXPECT_EQ(converted.status, "HIGH");
  EXPECT_EQ(converted.datetime_iso, "2008-05-23T14:32");
  EXPECT_EQ(converted.ppm_value, 125);
  EXPECT_EQ(converted.alarm_ppm, 50);
}

}  // namespace
