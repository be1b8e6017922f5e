#pragma once
// The survey archive: every download of an instrument's data log, kept for
// years as a compliance record, with the readings it brought, and the
// operations done on instruments (settings, clock, erase, collect).
//
// A download is stored whole or not at all, with its lines exactly as
// received; its readings are added to the archive's readings, each reading
// once however often the log that holds it is downloaded or imported. Two
// readings alike in every field are both kept (within a log and across
// downloads of it); once a download's readings are marked erased from the
// instrument, the next logs of that instrument are new readings even where
// they repeat an old one's fields. The readings' order is their arrival
// order: the instrument's within a download, a later download's new readings
// after the earlier ones.
//
// This is the storage's whole interface, so that another store (a shared
// database server) is another implementation of it; open_archive
// (archive/sqlite_archive.h) gives the SQLite file. Texts from the instrument
// go in and come out as the bytes it sent; times are the front end's ISO 8601
// texts, stored as given. Every failure is an ArchiveError, after which the
// archive is as it was before the call. It keeps no transaction open between
// calls and does not decide where the archive lives.

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_error.h"
#include "datalog/readings.h"

// The eight settings as read at a download, each as the instrument showed it.
struct DownloadSettings {
  std::string instrument;
  std::string user_id;
  std::string location;
  std::string access_level;
  std::string operating_mode;
  std::string alarm;
  std::string span;
  std::string response_factor;
};

struct DownloadInfo {
  std::string started_at;                     // UTC, ISO 8601
  std::string finished_at;                    // UTC, ISO 8601
  std::optional<std::string> port;            // none for an import
  std::optional<std::string> imported_from;   // the file an import read; none for a download
  std::string program;                        // name and version
  std::optional<std::string> instrument;      // the instrument number, as its settings show it
  std::optional<std::string> firmware;
  std::optional<std::string> instrument_clock;  // as the instrument showed it
  std::string host_clock;                       // the computer's local time, ISO 8601 with its offset
  std::optional<DownloadSettings> settings;
  bool complete = false;                        // the instrument ended the log with its end mark
};

struct DownloadRecord {
  DownloadInfo info;
  std::vector<std::string> lines;  // as received; none for an import
};

// Hands each reading of a download to on_reading, in order. Whatever it
// throws passes through the store, which then stores nothing.
using ReadingSink = std::function<void(const Reading& reading)>;
using ReadingSource = std::function<void(const ReadingSink& on_reading)>;

// The readings of a log's lines (datalog's for_each_reading).
ReadingSource readings_of_log(const std::vector<std::string>& lines);
// The readings of a file of the CSV export; a file that is not one ends the
// store with ArchiveError bad_import naming file_name and the line.
ReadingSource readings_of_csv(std::istream& csv, const std::string& file_name);

struct StoredDownload {
  std::int64_t id = 0;
  std::int64_t readings = 0;      // in the download
  std::int64_t new_readings = 0;  // of those, the ones not archived before
};

struct DownloadSummary {
  std::int64_t id = 0;
  DownloadInfo info;
  std::int64_t lines = 0;
  std::int64_t readings = 0;
  std::int64_t new_readings = 0;
  bool erased = false;
};

// Every given field must match; texts compare without blanks at either end
// (stored "A17   " is location "A17"), case counting. The time bounds are
// inclusive, compared with datetime_iso as text, so give them in its form
// ("2008-05-23T14:32"); a reading whose date/time is not a time is left out
// whenever a bound is given. Texts as the instrument's bytes.
struct ReadingFilter {
  std::optional<std::string> instrument;
  std::optional<std::string> user_id;
  std::optional<std::string> location;
  std::optional<std::string> since_iso;
  std::optional<std::string> until_iso;
  std::optional<std::int64_t> download_id;  // the download that first brought it
};

struct ArchivedReading {
  std::int64_t id = 0;
  Reading reading;
  std::optional<std::string> datetime_iso;
  std::optional<double> ppm_value;
  std::int64_t download_id = 0;
};

// The filter's rule for readings that are not in an archive (a CSV file's),
// the same that for_each_reading applies; the reading's id is not looked at.
bool filter_admits(const ReadingFilter& filter, const ArchivedReading& reading);

enum class EventKind { config_set, clock_set, erase, collect };

// The kind's name in the archive ("config_set", ...); none for another text.
const char* event_kind_name(EventKind kind);
std::optional<EventKind> event_kind_of(const std::string& name);

struct EventRecord {
  std::string at;  // UTC, ISO 8601
  std::optional<std::string> port;
  std::optional<std::string> instrument;
  EventKind kind = EventKind::collect;
  std::string detail_json;  // JSON text in UTF-8; the store refuses anything else
};

struct ArchivedEvent {
  std::int64_t id = 0;
  EventRecord event;
};

// Bounds inclusive, compared with the events' at as text.
struct EventFilter {
  std::optional<std::string> instrument;
  std::optional<std::string> since;
  std::optional<std::string> until;
};

struct ArchiveCheck {
  bool ok = false;
  std::vector<std::string> problems;  // as the store's own check words them
  int schema_version = 0;
  std::int64_t downloads = 0;
  std::int64_t log_lines = 0;
  std::int64_t readings = 0;
  std::int64_t events = 0;
};

class Archive {
 public:
  virtual ~Archive() = default;

  virtual StoredDownload store_download(const DownloadRecord& download, const ReadingSource& readings) = 0;
  // The lines stored with a download, to compare with those received; none
  // for an unknown download.
  virtual std::vector<std::string> download_lines(std::int64_t download_id) = 0;
  // The download's readings were erased from the instrument.
  virtual void mark_erased(std::int64_t download_id) = 0;
  virtual void record_event(const EventRecord& event) = 0;
  // Readings in arrival order until on_reading returns false.
  virtual void for_each_reading(const ReadingFilter& filter,
                                const std::function<bool(const ArchivedReading& reading)>& on_reading) = 0;
  virtual std::vector<DownloadSummary> downloads() = 0;  // newest first
  virtual std::vector<ArchivedEvent> events(const EventFilter& filter) = 0;  // oldest first
  // Whether the newest download of the instrument was complete; none before its first.
  virtual std::optional<bool> last_download_complete(const std::string& instrument) = 0;
  virtual ArchiveCheck check() = 0;
};
