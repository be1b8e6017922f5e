// A reading as the report takes it: the log's texts, their values and the
// alarm recorded with its download.

#include "report/report_reading.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace {

TEST(ReportReadingOf, KeepsTheLogsTextsAndAddsTheirValuesAndTheAlarm) {
  const Reading reading{{"000123", "000000042", "M1"}, "05/23/08 1432", "A00017", " 125", "HIGH"};
  const ReportReading converted = report_reading_of(reading, 50.0);
  EXPECT_EQ(std::tie(converted.instrument, converted.user_id, converted.mode, converted.datetime, converted.location,
                     converted.ppm, converted.status),
            std::make_tuple("000123", "000000042", "M1", "05/23/08 1432", "A00017", " 125", "HIGH"));
  EXPECT_EQ(std::tie(converted.datetime_iso, converted.ppm_value, converted.alarm_ppm),
            std::make_tuple(std::optional<std::string>("2008-05-23T14:32"), std::optional<double>(125),
                            std::optional<double>(50)));
}

}  // namespace
