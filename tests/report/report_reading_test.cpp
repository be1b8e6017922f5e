// A reading as the report takes it: the log's texts, their values and the
// alarm recorded with its download.

#include "report/report_reading.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

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
