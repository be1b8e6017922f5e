#pragma once
// The texts that `719k report` makes for the page from what the archive
// and the command line hold: an event as a line of the events' table, the
// times that bound the events in scope, and the command that lists every
// reading when the page leaves them out.
//
// An event's detail is JSON whose keys the commands that record events
// choose; it is shown as "name: value" pairs, a change ({"old", "new"} or
// {"before", "after"}) as "old → new", so that a key added later still
// shows without a change here. Times: readings carry the instrument's
// clock, which is set to the computer's local time; events carry UTC. The
// conversions use this computer's time zone.
//
// Not done: reading the archive, or deciding which events are in scope.

#include <optional>
#include <string>

#include "archive/archive.h"
#include "cli/arguments.h"
#include "report/report_input.h"

// The event as the page shows it, its time in local time; none for a
// collect, whose download is the report's own readings.
std::optional<ReportEvent> report_event_of(const ArchivedEvent& event);

// The JSON detail as text; a text that is not JSON as it is.
std::string event_detail_text(const std::string& detail_json);

// A local minute ("2008-05-23T14:32") as the UTC text of its first second
// ("2008-05-23T12:32:00Z") or its last ("...:59Z"); none for another text.
std::optional<std::string> utc_bound_of_local_minute(const std::string& local_iso, bool last_second);

// `719k archive readings` with the archive and filters as given to report.
std::string archive_listing_command(const Invocation& invocation);
