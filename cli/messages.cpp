#include "cli/messages.h"

#include "cli/console.h"

void report(const Streams& streams, const std::string& message) {
  streams.err << kProgramName << ": " << message << '\n';
}

void report_failure(const Streams& streams, const std::string& message) {
  if (!interrupted()) report(streams, message);
}

void inform(const Invocation& invocation, const Streams& streams, const std::string& message) {
  if (!invocation.quiet) report(streams, message);
}
