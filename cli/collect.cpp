#include "cli/collect.h"

#include <cstdlib>
#include <ctime>

#include "cli/change_records.h"
#include "cli/console.h"
#include "cli/download_store.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/instrument_steps.h"
#include "cli/messages.h"
#include "cli/wall_clock.h"
#include "instrument/data_log.h"
#include "instrument/firmware.h"

namespace {

// Seconds the instrument's clock is ahead of the computer's (behind:
// negative); none for a clock that is no calendar time.
std::optional<long long> clock_drift_s(const ClockReading& reading, std::time_t host_time) {
  if (!reading.time || !is_calendar_time(*reading.time)) return std::nullopt;
  std::tm instrument_time = *reading.time;
  instrument_time.tm_sec = 0;
  instrument_time.tm_isdst = -1;  // the instrument keeps the local time, summer or winter
  const std::time_t instrument_seconds = std::mktime(&instrument_time);
  if (instrument_seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<long long>(std::difftime(instrument_seconds, host_time));
}

DownloadSettings download_settings_of(const SettingTexts& values) {
  const auto value = [&values](Setting setting) { return text_of(values, setting).value_or(""); };
  return DownloadSettings{value(Setting::instrument_number), value(Setting::user_id),
                          value(Setting::location_code),     value(Setting::access_level),
                          value(Setting::operating_mode),    value(Setting::alarm_setting),
                          value(Setting::span_concentration), value(Setting::response_factor)};
}

class Collector {
 public:
  Collector(PortSession& session, Archive& archive, const std::string& archive_path, const CollectOptions& options,
            const Streams& streams)
      : session_(session), archive_(archive), archive_path_(archive_path), options_(options), streams_(streams),
        info_(download_starting_now(session.port)) {}

  CollectResult run() {
    int exit_code = read_instrument() ? download_and_store() : kExitFailed;
    if (options_.erase) {
      if (may_go_on(exit_code)) {
        exit_code = erase();
      } else {
        report(streams_, "nothing was erased: the readings stay in the instrument on " + session_.port);
      }
    }
    if (options_.set_clock && may_go_on(exit_code)) exit_code = set_clock_when_off();
    // An archive that failed would only fail again, after another busy wait.
    if (exit_code != kExitArchive && !record(EventKind::collect, collect_detail(summary_))) exit_code = kExitArchive;
    return CollectResult{summary_, exit_code};
  }

 private:
  // Nothing more is sent after a failure or a stop request.
  static bool may_go_on(int exit_code) { return exit_code == kExitDone && !interrupted(); }

  // Firmware, clock and the eight settings; false at the first that failed.
  bool read_instrument() {
    session_.status.phase("reading the firmware version");
    summary_.firmware = read_firmware_version(session_.instrument);
    if (!summary_.firmware) {
      report_failure(streams_, failure_message(session_.instrument.last_failure(), session_.port));
      return false;
    }
    info_.firmware = summary_.firmware;
    summary_.clock = read_clock_reporting(session_, streams_);
    host_time_ = std::time(nullptr);
    info_.host_clock = local_time_with_offset_now();
    if (!summary_.clock->answered) return false;
    info_.instrument_clock = summary_.clock->clock_text;
    const SettingTexts settings = read_settings_reporting(session_, streams_);
    if (!all_read(settings)) return false;
    info_.settings = download_settings_of(settings);
    info_.instrument = summary_.instrument = text_of(settings, Setting::instrument_number);
    return true;
  }

  int download_and_store() {
    session_.status.phase("downloading the log");
    DataLogDownload download = download_data_log(
        session_.instrument, [this](std::size_t lines) { session_.status.download_progress(lines); });
    if (download.outcome == DownloadOutcome::failed) {
      report_failure(
          streams_, download_stopped_message(session_.instrument.last_failure(), session_.port, download.lines.size()));
    }
    DownloadRecord record{info_, std::move(download.lines)};
    record.info.finished_at = utc_iso_now();
    record.info.complete = summary_.complete = download.outcome == DownloadOutcome::complete;
    summary_.lines = record.lines.size();
    summary_.readings = static_cast<std::int64_t>(reading_count(record.lines));
    const std::optional<StoredDownload> stored = store_checked(archive_, archive_path_, record, streams_);
    if (!stored) return kExitArchive;
    summary_.download_id = stored->id;
    summary_.new_readings = stored->new_readings;
    return summary_.complete ? kExitDone : kExitFailed;
  }

  int erase() {
    session_.status.phase("erasing the readings");
    if (!erase_data_log(session_.instrument)) {
      report_failure(streams_, order_failure_message(session_.instrument.last_failure(), session_.port, "the erase"));
      return kExitFailed;
    }
    summary_.erased = true;
    try {
      archive_.mark_erased(*summary_.download_id);
    } catch (const ArchiveError& error) {
      report(streams_, error.what());
      return kExitArchive;
    }
    const EraseRecord erase{summary_.download_id, summary_.readings, true, true};
    return record(EventKind::erase, erase_detail(erase)) ? kExitDone : kExitArchive;
  }

  int set_clock_when_off() {
    const std::optional<long long> drift_s = clock_drift_s(*summary_.clock, host_time_);
    if (drift_s && std::llabs(*drift_s) <= options_.max_drift_s) return kExitDone;
    const std::optional<std::tm> now = local_tm_now();
    if (!now) {
      report(streams_, "the clock was not set: the computer's local time cannot be read");
      return kExitFailed;
    }
    const ClockSetting setting = set_clock_reporting(session_, streams_, *now);
    if (setting.line_dead) return kExitFailed;
    summary_.clock_set = setting.confirmed;
    const std::string detail = clock_change_detail(*summary_.clock, setting.after, setting.confirmed, drift_s);
    if (!record(EventKind::clock_set, detail)) return kExitArchive;
    return setting.confirmed && setting.after.answered ? kExitDone : kExitFailed;
  }

  bool record(EventKind kind, const std::string& detail) {
    return record_change(archive_, streams_, kind, session_.port, summary_.instrument, detail);
  }

  PortSession& session_;
  Archive& archive_;
  const std::string& archive_path_;
  const CollectOptions& options_;
  const Streams& streams_;
  DownloadInfo info_;
  CollectSummary summary_;
  std::time_t host_time_ = 0;
};

}  // namespace

CollectResult collect_instrument(PortSession& session, Archive& archive, const std::string& archive_path,
                                 const CollectOptions& options, const Streams& streams) {
  return Collector(session, archive, archive_path, options, streams).run();
}
