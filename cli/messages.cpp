#include "cli/messages.h"

#include "cli/console.h"
#include "cli/status_line.h"

void report(const Streams& streams, const std::string& message) {
  if (streams.status) streams.status->clear();
  streams.err << kProgramName << ": " << message << '\n' << std::flush;
}

void report_failure(const Streams& streams, const std::string& message) {
  if (!interrupted() && !message.empty()) report(streams, message);
}

void inform(const Invocation& invocation, const Streams& streams, const std::string& message) {
  if (!invocation.quiet) report(streams, message);
}
