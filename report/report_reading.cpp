#include "report/report_reading.h"

#include "datalog/reading_values.h"

ReportReading report_reading_of(const Reading& reading, std::optional<double> alarm_ppm) {
  return ReportReading{reading.header.instrument_number,
                       reading.header.user_id,
                       reading.header.mode,
                       reading.date_time,
                       reading.location,
                       reading.ppm,
                       reading.status,
                       reading_datetime_iso(reading.date_time),
                       reading_ppm_value(reading.ppm),
                       alarm_ppm};
}
