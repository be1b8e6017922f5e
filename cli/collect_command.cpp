// collect: one instrument's docking session (cli/collect.h) from the
// command line, its summary printed as aligned lines or JSON.
//
// The archive is opened, and made when missing, once the port is held and
// before anything is sent: an archive that cannot be used ends the command
// with exit 4 and the instrument untouched.

#include "cli/archive_access.h"
#include "cli/archive_output.h"
#include "cli/collect.h"
#include "cli/command_entries.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/port_session.h"

int run_collect(const Invocation& invocation, const Streams& streams) {
  return run_on_port(invocation, streams, [&invocation, &streams](PortSession& session) {
    CommandArchive opened = open_command_archive(invocation, streams, ArchiveUse::store);
    if (!opened.archive) return kExitArchive;
    const CollectOptions options{invocation.erase, invocation.set_clock, invocation.max_drift_s};
    const CollectResult result = collect_instrument(session, *opened.archive, opened.path, options, streams);
    const CollectSummary& summary = result.summary;
    streams.out << (invocation.json ? collect_json(summary) : collect_text(summary));
    if (summary.download_id) {
      inform(invocation, streams,
             "stored as download " + std::to_string(*summary.download_id) + " in " + opened.path +
                 (summary.complete ? "" : ", marked incomplete"));
    }
    return result.exit_code;
  });
}
