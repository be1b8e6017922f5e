#pragma once
// A reading of a downloaded log (or of a CSV file made from one) as the
// report takes it: the log's texts, the values behind them
// (datalog/reading_values.h), and the alarm setting recorded with the
// download that brought it.
//
// No reading is dropped: one without a time or a number stays in the
// report, which says how many there are.

#include <optional>

#include "datalog/readings.h"
#include "report/report_input.h"

ReportReading report_reading_of(const Reading& reading, std::optional<double> alarm_ppm);
