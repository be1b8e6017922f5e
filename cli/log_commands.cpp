// log download and log erase.
//
// A download keeps whatever it received. Its file (-o) is checked before
// anything is sent, and replaced only by a whole log: a download that
// stopped part-way or was interrupted leaves the file as it was and writes
// the lines it received, in the same format, to FILE.partial instead. On
// standard output the lines received are written either way, as a pipe
// cannot be taken back. The whole log is held in memory and written at the
// end.
//
// --store also keeps the download in the survey archive (made when missing,
// opened before anything is sent), under the instrument number read first;
// a download that stopped is stored too, marked incomplete. With an archive
// there, log erase reads the instrument number first and records the erase
// with whether the instrument's last download in the archive was complete.

#include <string>

#include "cli/archive_access.h"
#include "cli/change_records.h"
#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/download_store.h"
#include "cli/exit_codes.h"
#include "cli/failure_messages.h"
#include "cli/instrument_steps.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/output_file.h"
#include "cli/port_session.h"
#include "cli/wall_clock.h"
#include "instrument/data_log.h"

namespace {

constexpr const char* kEraseQuestion = "Erase all readings stored in the instrument? [y/N] ";

bool yes_answer(const std::string& answer) { return answer == "y" || answer == "Y" || answer == "yes"; }

// Writes what was downloaded where it belongs; false when it could not be.
bool write_download(const Invocation& invocation, const Streams& streams, const DataLogDownload& download) {
  const std::string bytes = log_output(download.lines, invocation.format);
  if (invocation.output_path.empty()) {
    streams.out << bytes;
    return true;
  }
  const bool whole = download.outcome == DownloadOutcome::complete;
  if (!whole && download.lines.empty()) return true;  // nothing to keep, and the file stays as it was
  const std::string path = whole ? invocation.output_path : partial_path(invocation.output_path);
  std::string error;
  if (!write_file_whole(path, bytes, error)) {
    report(streams, "cannot write " + path + ": " + error);
    return false;
  }
  if (!whole) report(streams, "the " + std::to_string(download.lines.size()) + " lines received are in " + path);
  return true;
}

// The download kept in the archive; kExitArchive when it could not be.
int store_download(const Invocation& invocation, const Streams& streams, const CommandArchive& opened,
                   DownloadInfo info, const DataLogDownload& download) {
  info.finished_at = utc_iso_now();
  info.complete = download.outcome == DownloadOutcome::complete;
  const std::optional<StoredDownload> stored =
      store_checked(*opened.archive, opened.path, DownloadRecord{info, download.lines}, streams);
  if (!stored) return kExitArchive;
  inform(invocation, streams,
         "stored as download " + std::to_string(stored->id) + " in " + opened.path + ": " +
             std::to_string(stored->new_readings) + " new readings" + (info.complete ? "" : ", marked incomplete"));
  return kExitDone;
}

int download_on(PortSession& session, const Invocation& invocation, const Streams& streams,
                const CommandArchive& opened) {
  DownloadInfo info = download_starting_now(session.port);
  if (opened.archive && !(info.instrument = read_instrument_number_reporting(session, streams))) return kExitFailed;
  session.status.phase("downloading the log");
  const DataLogDownload download = download_data_log(
      session.instrument, [&session](std::size_t lines) { session.status.download_progress(lines); });
  const std::vector<std::string>& lines = download.lines;
  if (download.outcome == DownloadOutcome::failed) {
    report(streams, download_stopped_message(session.instrument.last_failure(), session.port, lines.size()));
  }
  const bool written = write_download(invocation, streams, download);
  if (opened.archive && store_download(invocation, streams, opened, info, download) != kExitDone) return kExitArchive;
  if (!written || download.outcome != DownloadOutcome::complete) return kExitFailed;
  inform(invocation, streams,
         "downloaded " + std::to_string(lines.size()) + " log lines, " + std::to_string(reading_count(lines)) +
             " readings");
  return kExitDone;
}

// True once the operator said yes, or was not asked (--yes).
bool erase_agreed(const Invocation& invocation, const Streams& streams) {
  if (invocation.yes) return true;
  streams.status->clear();
  streams.err << kEraseQuestion << std::flush;
  std::string answer;
  std::getline(streams.in, answer);
  return yes_answer(answer);
}

// The erase recorded, with whether the archive holds the instrument's last log whole.
bool record_erase(Archive& archive, PortSession& session, const Streams& streams, const std::string& instrument) {
  EraseRecord erase;
  try {
    erase.last_download_complete = archive.last_download_complete(instrument);
  } catch (const ArchiveError& error) {
    report(streams, error.what());
    return false;
  }
  return record_change(archive, streams, EventKind::erase, session.port, instrument, erase_detail(erase));
}

}  // namespace

int run_log_download(const Invocation& invocation, const Streams& streams) {
  if (!invocation.output_path.empty()) {
    const std::string problem = output_path_problem(invocation.output_path);
    if (!problem.empty()) {
      report(streams, "cannot write " + invocation.output_path + ": " + problem + "; nothing was sent");
      return kExitUsage;
    }
  }
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    CommandArchive opened;
    if (invocation.store && !(opened = open_command_archive(invocation, streams, ArchiveUse::store)).archive) {
      return kExitArchive;
    }
    return download_on(session, invocation, streams, opened);
  });
}

int run_log_erase(const Invocation& invocation, const Streams& streams) {
  if (!invocation.yes && !stdin_is_terminal()) {
    report(streams, "log erase needs --yes when not run from a terminal; nothing was sent");
    return kExitUsage;
  }
  // The port is taken before the question, so that a yes finds it still free.
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::record);
    if (opened.failed) return kExitArchive;
    const bool agreed = erase_agreed(invocation, streams);
    if (interrupted()) return kExitInterrupted;
    if (!agreed) {
      inform(invocation, streams, "nothing erased");
      return kExitDone;
    }
    std::optional<std::string> instrument;
    if (opened.archive && !(instrument = read_instrument_number_reporting(session, streams))) {
      report_failure(streams, "nothing was erased: the archive's record needs the instrument number");
      return kExitFailed;
    }
    session.status.phase("erasing the readings");
    if (!erase_data_log(session.instrument)) {
      report_failure(streams, order_failure_message(session.instrument.last_failure(), session.port, "the erase"));
      return kExitFailed;
    }
    inform(invocation, streams, "the readings stored in the instrument are erased");
    if (opened.archive && !record_erase(*opened.archive, session, streams, *instrument)) return kExitArchive;
    return kExitDone;
  });
}
