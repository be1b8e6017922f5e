#pragma once
// The docking station: several ports served at once, one thread each, each
// with its own port object, instrument and archive connection, so a long
// download on one port never delays another.
//
// Every poll each port is opened by its name again (a name that is a
// symbolic link, /dev/serial/by-id/..., follows its device) and asked with
// one attention byte whether an instrument answers; a port that another
// program holds is skipped this round, without a word, and one whose device
// is gone counts as nobody answering. An instrument that answers is
// collected (cli/collect.h) once per docking: after that its port is only
// looked at, until a look finds nobody. Between looks the port is closed,
// so the dialog or another program can use it.
//
// What happens is told as events, one line each, in the order they happen
// on any port: docked, collected, erased, clock set, failed, undocked. A
// stop request (the interrupt token) ends every port's session at its next
// step: a download running then is stored as incomplete and nothing is
// erased after it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/collect.h"

enum class DockEventKind { docked, collected, erased, clock_set, failed, undocked };

struct DockEvent {
  DockEventKind kind;
  std::string port;
  std::optional<std::string> instrument;
  std::optional<CollectSummary> summary;  // collected, erased
  std::string message;                    // failed: what went wrong
};

// Called from the ports' threads, one event at a time.
using DockEventSink = std::function<void(const DockEvent& event)>;

struct DockOptions {
  std::vector<std::string> ports;
  CollectOptions collect;
  std::chrono::seconds poll{0};
  std::string archive_path;
};

// Serves the ports until a stop request.
void run_docking_station(const DockOptions& options, const DockEventSink& on_event);

// "collected /dev/ttyUSB0 instrument 000123: 63 lines, 38 readings, 38 new",
// without the time in front.
std::string dock_event_text(const DockEvent& event);
// The event as one JSON object's text.
std::string dock_event_json(const DockEvent& event);
