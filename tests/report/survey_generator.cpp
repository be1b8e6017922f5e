#include "tests/report/survey_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>

#include "datalog/log_list.h"
#include "datalog/reading_values.h"
#include "datalog/readings.h"
#include "report/report_reading.h"

namespace {

struct CrewMember {
  const char* instrument;
  const char* user_id;
  const char* alarm;
};

constexpr CrewMember kCrew[] = {{"000123", "000000042", "0050"},
                                {"000124", "000000057", "0050"},
                                {"000125", "000000063", "0050"},
                                {"000126", "000000071", "0100"}};

constexpr int kAreas = 5;
constexpr int kLocationsPerArea = 40;
constexpr int kLeakyEvery = 25;  // every 25th location leaks now and then
constexpr int kDayStartSeconds = 7 * 3600;
constexpr int kDayEndSeconds = kDownloadHour * 3600;
constexpr int kShortestStaySeconds = 60;
constexpr int kLongestStaySeconds = 240;
constexpr int kShortestWalkSeconds = 30;
constexpr int kLongestWalkSeconds = 120;
constexpr double kBackgroundMeanPpm = 3;
constexpr double kLeakAtLeakyLocation = 0.06;
constexpr double kStrayLeak = 0.0002;
constexpr double kLeakMinPpm = 50;
constexpr double kLeakMeanExcessPpm = 150;
constexpr double kHighestPpm = 9999;
constexpr std::uint64_t kSeed = 719;

struct Date {
  int year, month, day;
};

Date next_day(Date date) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = date.year % 4 == 0;
  const int days = date.month == 2 && leap ? 29 : kDays[date.month - 1];
  if (++date.day > days) {
    date.day = 1;
    if (++date.month > 12) {
      date.month = 1;
      ++date.year;
    }
  }
  return date;
}

class Survey {
 public:
  explicit Survey(const SurveyShape& shape) : shape_(shape), random_(kSeed) {}

  GeneratedSurvey generate() {
    Date date{2026, 11, 2};
    for (const CrewMember& member : kCrew) {
      survey_.instruments.push_back({member.instrument, "3.1", "0100", "1.00", member.alarm});
    }
    for (int day = 0; day < shape_.days && readings_ < shape_.most_readings; ++day, date = next_day(date)) {
      for (const CrewMember& member : kCrew) {
        survey_.downloads.push_back({member.instrument, date.year, date.month, date.day, {}});
        walk_one_day(date, member, survey_.downloads.back().log_lines);
      }
    }
    return survey_;
  }

 private:
  double uniform() { return static_cast<double>(random_() >> 11) * 0x1.0p-53; }
  int between(int low, int high) { return low + static_cast<int>(uniform() * (high - low + 1)); }
  double exponential(double mean) { return -std::log(1 - uniform()) * mean; }

  static std::string location_name(int location) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%05d", 'A' + location / kLocationsPerArea, location % kLocationsPerArea + 1);
    return name;
  }

  double ppm_at(int location) {
    const double leak_chance = location % kLeakyEvery == 0 ? kLeakAtLeakyLocation : kStrayLeak;
    if (uniform() < leak_chance) return std::min(kHighestPpm, std::floor(kLeakMinPpm + exponential(kLeakMeanExcessPpm)));
    return std::floor(exponential(kBackgroundMeanPpm));
  }

  static const char* status_of(double ppm, double alarm) {
    return ppm < alarm ? "OK" : ppm < 10 * alarm ? "HIGH" : "ALARM";
  }

  void walk_one_day(Date date, const CrewMember& member, std::vector<std::string>& log_lines) {
    for (const char* heading : {kReceivedBanner, kShortColumnHeader}) log_lines.push_back(heading);
    log_lines.push_back(std::string(" I...............") + member.instrument);
    log_lines.push_back(std::string(" U...............") + member.user_id);
    log_lines.push_back(" O...............M1");
    const double alarm = *reading_ppm_value(member.alarm);
    int seconds = kDayStartSeconds + between(0, 600);
    while (seconds < kDayEndSeconds && readings_ < shape_.most_readings) {
      const int location = between(0, kAreas * kLocationsPerArea - 1);
      const std::string name = location_name(location);
      const int stay_end = seconds + between(kShortestStaySeconds, kLongestStaySeconds);
      for (; seconds < stay_end && seconds < kDayEndSeconds && readings_ < shape_.most_readings;
           seconds += shape_.seconds_between_readings, ++readings_) {
        const double ppm = ppm_at(location);
        char line[64];
        std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d%02d   %s      %4.0f    %s", date.month, date.day,
                      date.year % 100, seconds / 3600, seconds / 60 % 60, name.c_str(), ppm, status_of(ppm, alarm));
        log_lines.push_back(line);
      }
      seconds += between(kShortestWalkSeconds, kLongestWalkSeconds);
    }
  }

  SurveyShape shape_;
  std::mt19937_64 random_;
  std::size_t readings_ = 0;
  GeneratedSurvey survey_;
};

}  // namespace

GeneratedSurvey generate_survey(const SurveyShape& shape) { return Survey(shape).generate(); }

ReportInput report_input_of(const GeneratedSurvey& survey) {
  std::map<std::string, double> alarm_of_instrument;
  for (const ReportInstrument& instrument : survey.instruments) {
    alarm_of_instrument[instrument.number] = *reading_ppm_value(instrument.alarm);
  }
  ReportInput input;
  for (const GeneratedDownload& download : survey.downloads) {
    for_each_reading(download.log_lines, [&](const Reading& reading) {
      const auto alarm = alarm_of_instrument.find(reading.header.instrument_number);
      input.readings.push_back(report_reading_of(
          reading, alarm == alarm_of_instrument.end() ? std::nullopt : std::optional<double>(alarm->second)));
      return true;
    });
  }
  input.instruments = survey.instruments;
  input.events_known = true;
  input.source = "generated survey";
  return input;
}
