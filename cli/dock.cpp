#include "cli/dock.h"

#include <nlohmann/json.hpp>

#include <mutex>
#include <sstream>
#include <thread>

#include "archive/sqlite_archive.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/status_line.h"
#include "datalog/latin1.h"
#include "instrument/presence.h"
#include "link/serial_port.h"

namespace {

using Json = nlohmann::ordered_json;

// A stop request is looked for this often while a port waits for its next
// look.
constexpr std::chrono::milliseconds kStopCheckInterval{50};

const char* kind_name(DockEventKind kind) {
  switch (kind) {
    case DockEventKind::docked: return "docked";
    case DockEventKind::collected: return "collected";
    case DockEventKind::erased: return "erased";
    case DockEventKind::clock_set: return "clock set";
    case DockEventKind::failed: return "failed";
    case DockEventKind::undocked: return "undocked";
  }
  return "";
}

// What collect said on its standard error, without the program's name: the
// reason a session failed.
std::string messages_of(const std::string& err) {
  std::istringstream lines(err);
  std::string line, joined;
  const std::string prefix = std::string(kProgramName) + ": ";
  while (std::getline(lines, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
    if (!line.empty()) joined += (joined.empty() ? "" : "; ") + line;
  }
  return joined;
}

class PortWatch {
 public:
  PortWatch(const std::string& port, const DockOptions& options, const DockEventSink& on_event)
      : port_(port), options_(options), on_event_(on_event) {}

  void run() {
    while (!interrupted()) {
      look();
      const auto next = std::chrono::steady_clock::now() + options_.poll;
      while (!interrupted() && std::chrono::steady_clock::now() < next) std::this_thread::sleep_for(kStopCheckInterval);
    }
  }

 private:
  void look() {
    SerialPortOpening opening = open_serial_port(port_, interrupt_token());
    if (!opening.port) {
      if (opening.failure != PortOpenFailure::in_use) nobody_answers();
      return;
    }
    opening.port->discard_input();
    Instrument instrument(*opening.port);
    if (!instrument_answers(instrument)) {
      if (!interrupted()) nobody_answers();
      return;
    }
    if (docked_) return;
    docked_ = true;
    emit({DockEventKind::docked, port_, std::nullopt, std::nullopt, std::string()});
    collect(instrument);
  }

  void nobody_answers() {
    if (!docked_) return;
    docked_ = false;
    emit({DockEventKind::undocked, port_, std::nullopt, std::nullopt, std::string()});
  }

  void collect(Instrument& instrument) {
    std::istringstream no_input;
    std::ostringstream out, err;
    StatusLine status(err, StatusForm::off);
    const Streams streams{no_input, out, err, &status};
    PortSession session{instrument, status, port_};
    std::optional<CollectResult> result;
    try {
      std::unique_ptr<Archive> archive = open_archive(options_.archive_path, ArchiveOpenMode::create);
      result = collect_instrument(session, *archive, options_.archive_path, options_.collect, streams);
    } catch (const ArchiveError& error) {
      err << error.what() << '\n';
    }
    const CollectSummary summary = result ? result->summary : CollectSummary();
    if (summary.download_id) emit({DockEventKind::collected, port_, summary.instrument, summary, std::string()});
    if (summary.erased) emit({DockEventKind::erased, port_, summary.instrument, summary, std::string()});
    if (summary.clock_set) emit({DockEventKind::clock_set, port_, summary.instrument, summary, std::string()});
    if ((!result || result->exit_code != kExitDone) && !interrupted()) {
      emit({DockEventKind::failed, port_, summary.instrument, std::nullopt, messages_of(err.str())});
    }
  }

  void emit(const DockEvent& event) const { on_event_(event); }

  const std::string port_;
  const DockOptions& options_;
  const DockEventSink& on_event_;
  bool docked_ = false;
};

}  // namespace

void run_docking_station(const DockOptions& options, const DockEventSink& on_event) {
  std::mutex one_event_at_a_time;
  const DockEventSink serialised = [&one_event_at_a_time, &on_event](const DockEvent& event) {
    const std::lock_guard<std::mutex> lock(one_event_at_a_time);
    on_event(event);
  };
  std::vector<std::thread> watches;
  for (const std::string& port : options.ports) {
    watches.emplace_back([&options, &serialised, port] { PortWatch(port, options, serialised).run(); });
  }
  for (std::thread& watch : watches) watch.join();
}

std::string dock_event_text(const DockEvent& event) {
  std::string text = std::string(kind_name(event.kind)) + " " + event.port;
  if (event.instrument) text += " instrument " + *event.instrument;
  if (event.kind == DockEventKind::collected && event.summary) {
    const CollectSummary& summary = *event.summary;
    text += ": " + std::to_string(summary.lines) + " lines, " + std::to_string(summary.readings) + " readings, " +
            std::to_string(summary.new_readings) + " new" + (summary.complete ? "" : ", incomplete");
  } else if (event.kind == DockEventKind::erased && event.summary) {
    text += ": " + std::to_string(event.summary->readings) + " readings";
  } else if (event.kind == DockEventKind::failed) {
    text += ": " + event.message;
  }
  return text;
}

std::string dock_event_json(const DockEvent& event) {
  Json json;
  json["event"] = kind_name(event.kind);
  json["port"] = utf8_of_latin1(event.port);
  if (event.instrument) json["instrument"] = utf8_of_latin1(*event.instrument);
  if (event.summary && event.kind == DockEventKind::collected) {
    json["download_id"] = *event.summary->download_id;
    json["lines"] = event.summary->lines;
    json["readings"] = event.summary->readings;
    json["new_readings"] = event.summary->new_readings;
    json["complete"] = event.summary->complete;
  } else if (event.summary && event.kind == DockEventKind::erased) {
    json["readings"] = event.summary->readings;
  } else if (event.kind == DockEventKind::failed) {
    json["message"] = utf8_of_latin1(event.message);
  }
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}
