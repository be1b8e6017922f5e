// Writes survey archives for `719k report` to read, as downloads and
// events would have stored them:
//   survey_archive sample <instrument state file> <out.sqlite>
//     the state file's log as one download with its settings, and events
//     of that instrument in the survey's period and outside it, and of
//     another instrument;
//   survey_archive generated <days> <seconds between readings> <out.sqlite>
//     a generated survey (tests/report/survey_generator.h), each
//     instrument's day one download at the day's end, its clock set the
//     first morning and its log erased after each download.
// Times are local times of this process's time zone, stored in UTC as the
// archive keeps them.

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "archive/sqlite_archive.h"
#include "tests/report/survey_generator.h"
#include "tools/instrument_state_file.h"

namespace {

constexpr std::size_t kMostGeneratedReadings = 10000000;
constexpr const char* kProgram = "survey_archive";

struct LocalTime {
  int year, month, day, hour, minute, second;
};

std::string utc_of(const LocalTime& local) {
  std::tm time{};
  time.tm_year = local.year - 1900;
  time.tm_mon = local.month - 1;
  time.tm_mday = local.day;
  time.tm_hour = local.hour;
  time.tm_min = local.minute;
  time.tm_sec = local.second;
  time.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&time);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&seconds));
  return text;
}

DownloadRecord download_at(const LocalTime& local, const DownloadSettings& settings, const std::string& firmware,
                           const std::vector<std::string>& lines) {
  DownloadInfo info;
  info.started_at = info.finished_at = utc_of(local);
  info.port = "/dev/ttyUSB0";
  info.program = "719k 1.0.0";
  info.instrument = settings.instrument;
  info.firmware = firmware;
  info.host_clock = info.started_at;  // the report does not read it
  info.settings = settings;
  info.complete = true;
  return DownloadRecord{info, lines};
}

void record(Archive& archive, const LocalTime& local, const std::string& instrument, EventKind kind,
            const std::string& detail_json) {
  archive.record_event({utc_of(local), "/dev/ttyUSB0", instrument, kind, detail_json});
}

bool write_sample(Archive& archive, const std::string& state_path) {
  InstrumentState state;
  std::string error;
  if (!load_instrument_state(state_path, state, error)) {
    std::cerr << kProgram << ": " << error << '\n';
    return false;
  }
  const InstrumentSettings& s = state.settings;
  const DownloadSettings settings{s.instrument_number, s.user_id,           s.location_code,
                                 s.access_level,      s.operating_mode,    s.alarm_setting,
                                 s.span_concentration, s.response_factor};
  const std::string& instrument = s.instrument_number;
  // The sample's readings run from 14:32 to 16:54 on 2008-05-23.
  record(archive, {2008, 5, 23, 15, 58, 0}, instrument, EventKind::clock_set,
         R"({"before":"05/23/08 1559","after":"05/23/08 1558"})");
  record(archive, {2008, 5, 23, 16, 0, 30}, instrument, EventKind::config_set,
         R"({"user_id":{"old":"000000042","new":"000000057"}})");
  record(archive, {2008, 5, 23, 15, 0, 0}, "000999", EventKind::config_set, R"({"alarm":{"old":"0050","new":"0100"}})");
  archive.store_download(download_at({2008, 5, 23, 17, 0, 0}, settings, state.firmware_version, state.log_lines),
                         readings_of_log(state.log_lines));
  record(archive, {2008, 5, 23, 17, 1, 0}, instrument, EventKind::collect, R"({"download_id":1})");
  record(archive, {2008, 5, 23, 17, 5, 0}, instrument, EventKind::erase, R"({"readings_erased":38,"all_archived":true})");
  return true;
}

void write_generated(Archive& archive, const SurveyShape& shape) {
  const GeneratedSurvey survey = generate_survey(shape);
  for (const ReportInstrument& instrument : survey.instruments) {
    const GeneratedDownload& first = survey.downloads.front();
    record(archive, {first.year, first.month, first.day, 6, 50, 0}, instrument.number, EventKind::clock_set,
           R"({"before":"11/02/26 0647","after":"11/02/26 0650"})");
  }
  for (const GeneratedDownload& download : survey.downloads) {
    const ReportInstrument* instrument = &survey.instruments.front();
    while (instrument->number != download.instrument) ++instrument;
    const DownloadSettings settings{instrument->number, "", "", "2", "M1", instrument->alarm, instrument->span,
                                    instrument->response_factor};
    const LocalTime end_of_day{download.year, download.month, download.day, kDownloadHour, 10, 0};
    const StoredDownload stored = archive.store_download(
        download_at(end_of_day, settings, instrument->firmware, download.log_lines), readings_of_log(download.log_lines));
    archive.mark_erased(stored.id);
    record(archive, {download.year, download.month, download.day, kDownloadHour, 15, 0}, instrument->number,
           EventKind::erase, R"({"readings_erased":)" + std::to_string(stored.readings) + R"(,"all_archived":true})");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "sample" && argc == 4) || (mode == "generated" && argc == 5))) {
    std::cerr << "usage: survey_archive sample <state file> <out.sqlite>\n"
                 "       survey_archive generated <days> <seconds between readings> <out.sqlite>\n";
    return 2;
  }
  try {
    const auto archive = open_archive(argv[argc - 1], ArchiveOpenMode::create);
    if (mode == "sample") return write_sample(*archive, argv[2]) ? 0 : 1;
    write_generated(*archive, {std::atoi(argv[2]), std::atoi(argv[3]), kMostGeneratedReadings});
  } catch (const ArchiveError& error) {
    std::cerr << kProgram << ": " << error.what() << '\n';
    return 4;
  }
  return 0;
}
