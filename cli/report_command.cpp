// report: one HTML page of the survey, from CSV files or the archive.
//
// Everything that can be refused is refused before any reading is read:
// the output file, the filter's dates, --open without a file. The source
// is read whole before the page is made, so a bad file or archive leaves
// no page at all; the page replaces the output file only once it is
// written whole. Opening it in the browser comes last, and a browser that
// does not open is told but does not fail the report: the file is there.

#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

#include "archive/sqlite_archive.h"
#include "cli/archive_location.h"
#include "cli/browser.h"
#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/reading_filters.h"
#include "cli/report_sources.h"
#include "cli/report_texts.h"
#include "cli/status_line.h"
#include "cli/wall_clock.h"
#include "report/report_html.h"

namespace {

constexpr const char* kCsvListingHint = "";  // the files themselves list every reading

// The page's input, or the exit code of the source's failure (told).
std::optional<ReportInput> read_source(const Invocation& invocation, const Streams& streams,
                                       const ReadingFilter& filter, int& exit_code) {
  if (!invocation.files.empty()) {
    streams.status->phase("reading the CSV files");
    std::vector<std::string> problems;
    std::optional<ReportInput> input = report_input_of_csv_files(invocation.files, filter, interrupt_token(), problems);
    for (const std::string& problem : problems) report(streams, problem + "; no report was made");
    exit_code = kExitUsage;
    if (input) {
      for (const std::string& file : invocation.files) input->source += (input->source.empty() ? "" : ", ") + file;
    }
    return input;
  }
  exit_code = kExitArchive;
  const std::string path = archive_path(invocation);
  if (path.empty()) {
    report(streams, std::string("no place for the survey archive is known: give --archive or set ") + kArchiveVariable);
    return std::nullopt;
  }
  try {
    streams.status->phase("reading the archive " + path);
    const std::unique_ptr<Archive> archive = open_archive(path, ArchiveOpenMode::existing);
    ReportInput input = report_input_of_archive(*archive, filter, interrupt_token());
    input.source = "archive " + path;
    return input;
  } catch (const ArchiveError& error) {
    report(streams, std::string(error.what()) + "; no report was made");
    return std::nullopt;
  }
}

ReportOptions options_of(const Invocation& invocation) {
  ReportOptions options;
  if (!invocation.title.empty()) options.title = invocation.title;
  options.leak_ppm = invocation.leak_ppm;
  options.made_at = local_time_text(std::time(nullptr));
  options.program = program_and_version();
  options.listing_hint = invocation.files.empty() ? archive_listing_command(invocation) : kCsvListingHint;
  return options;
}

void open_page(const Streams& streams, const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::string problem = open_in_browser(error ? path : absolute.string());
  if (!problem.empty()) report(streams, "the report is written, but " + path + " did not open: " + problem);
}

}  // namespace

int run_report(const Invocation& invocation, const Streams& streams) {
  const std::string& output = invocation.output_path;
  if (!output.empty()) {
    const std::string problem = output_path_problem(output);
    if (!problem.empty()) {
      report(streams, "cannot write " + output + ": " + problem + "; no report was made");
      return kExitUsage;
    }
  }
  std::string filter_problem;
  const std::optional<ReadingFilter> filter = reading_filter_of(invocation.filters, filter_problem);
  if (!filter) {
    report(streams, filter_problem);
    return kExitUsage;
  }
  if (invocation.open && output.empty()) {
    report(streams, "--open needs -o FILE: a page on standard output has no file to open");
    return kExitUsage;
  }
  int failure = kExitDone;
  const std::optional<ReportInput> input = read_source(invocation, streams, *filter, failure);
  if (!input) return failure;
  if (interrupted()) return interrupt_exit_code();

  streams.status->phase("making the page");
  const std::string page = make_report_html(*input, options_of(invocation));
  const std::string readings = std::to_string(input->readings.size()) + " readings";
  if (output.empty()) {
    streams.out << page;
    inform(invocation, streams, "report of " + readings);
    return kExitDone;
  }
  std::string error;
  if (!write_file_whole(output, page, error)) {
    report(streams, "cannot write " + output + ": " + error);
    return kExitFailed;
  }
  inform(invocation, streams, "report of " + readings + " in " + output);
  if (invocation.open) open_page(streams, output);
  return kExitDone;
}
