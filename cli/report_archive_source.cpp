// The report's readings, instruments and events from the survey archive.

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "cli/report_sources.h"
#include "cli/report_texts.h"
#include "datalog/reading_values.h"

namespace {

// The instruments as recorded at the downloads in scope, oldest first, each
// combination of settings once; an import records none.
std::vector<ReportInstrument> instruments_of(const std::vector<DownloadSummary>& newest_first,
                                             const std::set<std::int64_t>& in_scope) {
  std::vector<ReportInstrument> instruments;
  for (auto download = newest_first.rbegin(); download != newest_first.rend(); ++download) {
    const DownloadInfo& info = download->info;
    if (!in_scope.count(download->id) || (!info.settings && !info.firmware)) continue;
    ReportInstrument instrument{info.instrument.value_or(""), info.firmware.value_or(""), "", "", ""};
    if (const std::optional<DownloadSettings>& settings = info.settings) {
      instrument.number = settings->instrument;
      instrument.span = settings->span;
      instrument.response_factor = settings->response_factor;
      instrument.alarm = settings->alarm;
    }
    const auto same = [&instrument](const ReportInstrument& known) {
      return std::tie(known.number, known.firmware, known.span, known.response_factor, known.alarm) ==
             std::tie(instrument.number, instrument.firmware, instrument.span, instrument.response_factor,
                      instrument.alarm);
    };
    if (std::none_of(instruments.begin(), instruments.end(), same)) instruments.push_back(instrument);
  }
  return instruments;
}

// The events of the instruments in scope within the period: the filter's
// bounds where given, else the first and the last reading's minute.
std::vector<ReportEvent> events_of(Archive& archive, const std::vector<ReportReading>& readings,
                                   const ReadingFilter& filter) {
  std::set<std::string> instruments;
  std::optional<std::string> first, last;
  const std::string* previous_instrument = nullptr;
  for (const ReportReading& reading : readings) {
    // A log's readings come in runs of one instrument: one look per run.
    if (!previous_instrument || *previous_instrument != reading.instrument) {
      instruments.insert(reading.instrument);
      previous_instrument = &reading.instrument;
    }
    if (!reading.datetime_iso) continue;
    if (!first || *reading.datetime_iso < *first) first = reading.datetime_iso;
    if (!last || *reading.datetime_iso > *last) last = reading.datetime_iso;
  }
  std::vector<ReportEvent> events;
  if (readings.empty()) return events;
  EventFilter period;
  if (const std::optional<std::string> since = filter.since_iso ? filter.since_iso : first) {
    period.since = utc_bound_of_local_minute(*since, false);
  }
  if (const std::optional<std::string> until = filter.until_iso ? filter.until_iso : last) {
    period.until = utc_bound_of_local_minute(*until, true);
  }
  // One reading of each instrument, to ask the filter's rule whether an
  // event's instrument number is one of theirs.
  std::vector<ArchivedReading> one_of_each(instruments.size());
  auto reading = one_of_each.begin();
  for (const std::string& instrument : instruments) (reading++)->reading.header.instrument_number = instrument;
  for (const ArchivedEvent& archived : archive.events(period)) {
    ReadingFilter of_instrument;
    of_instrument.instrument = archived.event.instrument;
    const auto in_scope = [&of_instrument](const ArchivedReading& one) { return filter_admits(of_instrument, one); };
    if (!archived.event.instrument || std::none_of(one_of_each.begin(), one_of_each.end(), in_scope)) continue;
    if (std::optional<ReportEvent> event = report_event_of(archived)) events.push_back(std::move(*event));
  }
  return events;
}

}  // namespace

ReportInput report_input_of_archive(Archive& archive, const ReadingFilter& filter, const CancelToken& stop) {
  const std::vector<DownloadSummary> downloads = archive.downloads();
  std::map<std::int64_t, std::optional<double>> alarm_of_download;
  std::size_t archived_readings = 0;
  for (const DownloadSummary& download : downloads) {
    const std::optional<DownloadSettings>& settings = download.info.settings;
    alarm_of_download[download.id] = settings ? reading_ppm_value(settings->alarm) : std::nullopt;
    archived_readings += static_cast<std::size_t>(download.new_readings);
  }
  ReportInput input;
  input.events_known = true;
  // Room for every reading the archive holds: a million readings moved at
  // each doubling cost as much as reading them. Pages never written stay
  // address space only.
  input.readings.reserve(archived_readings);
  std::set<std::int64_t> downloads_in_scope;
  std::int64_t download_id = 0;
  std::optional<double> alarm_ppm;
  archive.for_each_reading(filter, [&](const ArchivedReading& archived) {
    const Reading& reading = archived.reading;
    const LogHeaderValues& header = reading.header;
    if (archived.download_id != download_id || downloads_in_scope.empty()) {
      download_id = archived.download_id;
      downloads_in_scope.insert(download_id);
      alarm_ppm = alarm_of_download[download_id];
    }
    input.readings.push_back(ReportReading{header.instrument_number, header.user_id, header.mode, reading.date_time,
                                           reading.location, reading.ppm, reading.status, archived.datetime_iso,
                                           archived.ppm_value, alarm_ppm});
    return !stop.requested();
  });
  input.instruments = instruments_of(downloads, downloads_in_scope);
  input.events = events_of(archive, input.readings, filter);
  return input;
}
