#pragma once
// Where `719k report` takes what the page shows: the CSV files given, or
// the survey archive. Either way the readings in scope are those that the
// filter admits, by the archive's own rule (filter_admits), in the order
// given (files in the order named, rows in file order; the archive's
// arrival order).
//
// CSV files hold readings alone: no alarm setting, no instrument settings,
// no events. The archive adds, for each reading, the alarm setting recorded
// with the download that brought it; the instruments as recorded at those
// downloads; and the events (settings changed, clock set, log erased) of
// the instruments in scope from the first reading in scope to the last, or
// within the filter's bounds where given.
//
// A stop request ends the reading early; the caller then makes no page.
//
// Not done: the page, the source's name in it, or opening the archive.

#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "link/cancel_token.h"
#include "report/report_input.h"

// Every file is read before the result is given; none when any file cannot
// be read or is not an export, each such file named in problems.
std::optional<ReportInput> report_input_of_csv_files(const std::vector<std::string>& paths, const ReadingFilter& filter,
                                                     const CancelToken& stop, std::vector<std::string>& problems);

// Throws ArchiveError.
ReportInput report_input_of_archive(Archive& archive, const ReadingFilter& filter, const CancelToken& stop);
