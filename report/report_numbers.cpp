#include "report/report_numbers.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

// Keeps in `best` the reading with the highest number, the first in time
// order among equal ones.
void keep_highest(const std::vector<ReportReading>& readings, std::size_t index, std::optional<std::size_t>& best) {
  const std::optional<double>& value = readings[index].ppm_value;
  if (!value) return;
  if (!best) {
    best = index;
    return;
  }
  const double best_value = *readings[*best].ppm_value;
  if (*value > best_value || (*value == best_value && earlier_in_time(readings, index, *best))) best = index;
}

// Keeps in `latest` the latest reading with a calendar time; without any,
// the last to arrive. Readings are offered in arrival order.
void keep_latest(const std::vector<ReportReading>& readings, std::size_t index, std::size_t& latest) {
  const std::optional<std::string>& time = readings[index].datetime_iso;
  const std::optional<std::string>& latest_time = readings[latest].datetime_iso;
  if (time ? (!latest_time || *time >= *latest_time) : !latest_time) latest = index;
}

bool higher_first(const std::vector<ReportReading>& readings, const LocationSummary& a, const LocationSummary& b) {
  if (a.highest.has_value() != b.highest.has_value()) return a.highest.has_value();
  if (a.highest) {
    const double a_value = *readings[*a.highest].ppm_value;
    const double b_value = *readings[*b.highest].ppm_value;
    if (a_value != b_value) return a_value > b_value;
  }
  return a.location < b.location;
}

}  // namespace

std::optional<double> threshold_of(const ReportReading& reading, std::optional<double> leak_ppm) {
  return leak_ppm ? leak_ppm : reading.alarm_ppm;
}

bool is_leak(const ReportReading& reading, std::optional<double> leak_ppm) {
  const std::optional<double> threshold = threshold_of(reading, leak_ppm);
  return threshold && reading.ppm_value && *reading.ppm_value >= *threshold;
}

void add_distinct(std::vector<double>& ascending_values, double value) {
  const auto at = std::lower_bound(ascending_values.begin(), ascending_values.end(), value);
  if (at == ascending_values.end() || *at != value) ascending_values.insert(at, value);
}

bool earlier_in_time(const std::vector<ReportReading>& readings, std::size_t a, std::size_t b) {
  const std::optional<std::string>& a_time = readings[a].datetime_iso;
  const std::optional<std::string>& b_time = readings[b].datetime_iso;
  if (a_time.has_value() != b_time.has_value()) return a_time.has_value();
  if (a_time && *a_time != *b_time) return *a_time < *b_time;
  return a < b;
}

std::vector<LocationSummary> summarise_locations(const std::vector<ReportReading>& readings,
                                                 std::optional<double> leak_ppm) {
  std::vector<LocationSummary> locations;
  std::vector<double> ppm_sums;
  std::vector<std::size_t> ppm_counts;
  std::unordered_map<std::string_view, std::size_t> slot_of_location;
  for (std::size_t index = 0; index < readings.size(); ++index) {
    const ReportReading& reading = readings[index];
    const auto [slot, added] = slot_of_location.try_emplace(reading.location, locations.size());
    if (added) {
      locations.push_back(LocationSummary{reading.location, 0, 0, std::nullopt, 0, index, {}});
      ppm_sums.push_back(0);
      ppm_counts.push_back(0);
    }
    LocationSummary& summary = locations[slot->second];
    ++summary.readings;
    if (is_leak(reading, leak_ppm)) ++summary.leaks;
    if (const std::optional<double> threshold = threshold_of(reading, leak_ppm)) {
      add_distinct(summary.thresholds, *threshold);
    }
    if (reading.ppm_value) {
      ppm_sums[slot->second] += *reading.ppm_value;
      ++ppm_counts[slot->second];
    }
    keep_highest(readings, index, summary.highest);
    keep_latest(readings, index, summary.latest);
  }
  for (std::size_t slot = 0; slot < locations.size(); ++slot) {
    if (ppm_counts[slot] > 0) locations[slot].mean_ppm = ppm_sums[slot] / static_cast<double>(ppm_counts[slot]);
  }
  std::sort(locations.begin(), locations.end(), [&readings](const LocationSummary& a, const LocationSummary& b) {
    return higher_first(readings, a, b);
  });
  return locations;
}

std::vector<LeakGroup> leaks_by_location(const std::vector<ReportReading>& readings,
                                         const std::vector<LocationSummary>& locations,
                                         std::optional<double> leak_ppm) {
  std::unordered_map<std::string_view, std::size_t> group_of_location;
  std::vector<LeakGroup> groups;
  for (const LocationSummary& summary : locations) {
    if (summary.leaks == 0) continue;
    group_of_location.emplace(summary.location, groups.size());
    groups.push_back(LeakGroup{summary.location, {}});
  }
  for (std::size_t index = 0; index < readings.size(); ++index) {
    if (!is_leak(readings[index], leak_ppm)) continue;
    const auto group = group_of_location.find(readings[index].location);
    if (group != group_of_location.end()) groups[group->second].readings.push_back(index);
  }
  for (LeakGroup& group : groups) {
    std::sort(group.readings.begin(), group.readings.end(),
              [&readings](std::size_t a, std::size_t b) { return earlier_in_time(readings, a, b); });
  }
  return groups;
}

std::vector<OperatorSummary> summarise_operators(const std::vector<ReportReading>& readings,
                                                 std::optional<double> leak_ppm) {
  std::vector<OperatorSummary> operators;
  std::vector<std::unordered_set<std::string_view>> locations_visited;
  std::unordered_map<std::string_view, std::size_t> slot_of_user;
  for (std::size_t index = 0; index < readings.size(); ++index) {
    const ReportReading& reading = readings[index];
    const auto [slot, added] = slot_of_user.try_emplace(reading.user_id, operators.size());
    if (added) {
      operators.push_back(OperatorSummary{reading.user_id, 0, 0, 0, std::nullopt});
      locations_visited.emplace_back();
    }
    OperatorSummary& summary = operators[slot->second];
    ++summary.readings;
    if (is_leak(reading, leak_ppm)) ++summary.leaks;
    locations_visited[slot->second].insert(reading.location);
    keep_highest(readings, index, summary.highest);
  }
  for (std::size_t slot = 0; slot < operators.size(); ++slot) {
    operators[slot].locations = locations_visited[slot].size();
  }
  std::sort(operators.begin(), operators.end(),
            [](const OperatorSummary& a, const OperatorSummary& b) { return a.user_id < b.user_id; });
  return operators;
}

SurveyOverview survey_overview(const std::vector<ReportReading>& readings, std::optional<double> leak_ppm) {
  SurveyOverview overview;
  overview.readings = readings.size();
  std::unordered_set<std::string_view> locations;
  std::set<std::string_view> instruments;
  std::set<std::string_view> operators;
  for (const ReportReading& reading : readings) {
    locations.insert(reading.location);
    instruments.insert(reading.instrument);
    operators.insert(reading.user_id);
    if (!reading.ppm_value) ++overview.without_number;
    if (!threshold_of(reading, leak_ppm)) ++overview.without_threshold;
    if (!reading.datetime_iso) {
      ++overview.without_time;
      continue;
    }
    const std::string& time = *reading.datetime_iso;
    if (!overview.first_iso || time < *overview.first_iso) overview.first_iso = time;
    if (!overview.last_iso || time > *overview.last_iso) overview.last_iso = time;
  }
  overview.locations = locations.size();
  overview.instruments.assign(instruments.begin(), instruments.end());
  overview.operators.assign(operators.begin(), operators.end());
  return overview;
}

std::vector<RecordedAlarms> recorded_alarms(const std::vector<ReportReading>& readings) {
  std::vector<RecordedAlarms> alarms;
  std::unordered_map<std::string_view, std::size_t> slot_of_instrument;
  for (const ReportReading& reading : readings) {
    if (!reading.alarm_ppm) continue;
    const auto [slot, added] = slot_of_instrument.try_emplace(reading.instrument, alarms.size());
    if (added) alarms.push_back(RecordedAlarms{reading.instrument, {}});
    add_distinct(alarms[slot->second].alarm_ppm, *reading.alarm_ppm);
  }
  std::sort(alarms.begin(), alarms.end(),
            [](const RecordedAlarms& a, const RecordedAlarms& b) { return a.instrument < b.instrument; });
  return alarms;
}
