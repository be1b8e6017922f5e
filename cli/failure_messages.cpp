#include "cli/failure_messages.h"

namespace {

std::string instrument_on(const std::string& port) { return "the instrument on " + port; }

// The cause alone, for a message that says already what stopped.
std::string cause_of(LinkFailure failure, const std::string& port) {
  switch (failure) {
    case LinkFailure::silence: return "no answer: is it connected, switched on and set to 2400 baud?";
    case LinkFailure::garbled:
    case LinkFailure::unconfirmed: return "garbled data: check the cable and the baud rate";
    case LinkFailure::port_failed: return "the port " + port + " failed: is the adapter still plugged in?";
    case LinkFailure::not_sent: return "the command was too long to send";
    case LinkFailure::cancelled:
    case LinkFailure::none: break;
  }
  return std::string();
}

}  // namespace

std::string failure_message(LinkFailure failure, const std::string& port) {
  switch (failure) {
    case LinkFailure::silence:
      return "no answer from " + instrument_on(port) + ": is it connected, switched on and set to 2400 baud?";
    case LinkFailure::garbled:
    case LinkFailure::unconfirmed:
      return instrument_on(port) + " answered garbled data: check the cable and the baud rate";
    case LinkFailure::port_failed:
    case LinkFailure::not_sent: return cause_of(failure, port);
    case LinkFailure::cancelled:
    case LinkFailure::none: break;
  }
  return std::string();
}

std::string order_failure_message(LinkFailure failure, const std::string& port, const std::string& what) {
  if (failure == LinkFailure::unconfirmed) return instrument_on(port) + " did not confirm " + what;
  return failure_message(failure, port);
}

std::string download_stopped_message(LinkFailure failure, const std::string& port, std::size_t lines) {
  if (failure == LinkFailure::cancelled || failure == LinkFailure::none) return std::string();
  const std::string cause = failure == LinkFailure::silence && lines > 0 ? "the instrument stopped answering"
                                                                         : cause_of(failure, port);
  if (lines == 0) return instrument_on(port) + " did not send its log: " + cause;
  return "the download from " + port + " stopped after " + std::to_string(lines) + (lines == 1 ? " line: " : " lines: ") +
         cause;
}
