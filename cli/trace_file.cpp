#include "cli/trace_file.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "cli/arguments.h"
#include "cli/wall_clock.h"
#include "datalog/latin1.h"

namespace {

using Json = nlohmann::ordered_json;

const char* exchange_name(TraceExchange exchange) {
  switch (exchange) {
    case TraceExchange::attention: return "attention";
    case TraceExchange::query: return "query";
    case TraceExchange::order: return "order";
    case TraceExchange::log_transfer: return "log_transfer";
  }
  return "";
}

const char* stage_name(TraceStage stage) {
  switch (stage) {
    case TraceStage::attention: return "attention";
    case TraceStage::echo: return "echo";
    case TraceStage::response: return "response";
    case TraceStage::hand_back: return "hand_back";
    case TraceStage::closing: return "closing";
    case TraceStage::log_line: return "log_line";
    case TraceStage::line_acknowledgement: return "line_acknowledgement";
  }
  return "";
}

const char* outcome_name(StageOutcome outcome) {
  switch (outcome) {
    case StageOutcome::passed: return "passed";
    case StageOutcome::retry: return "retry";
    case StageOutcome::failed: return "failed";
  }
  return "";
}

std::string bytes_of(const TraceEvent& event) { return utf8_of_latin1(std::string(event.bytes, event.count)); }

// False for the events that the file leaves out (a read beginning: the read
// event that ends it says all).
bool describe(const TraceEvent& event, Json& json) {
  switch (event.kind) {
    case TraceEventKind::read_started:
      return false;
    case TraceEventKind::exchange_started:
      json["event"] = "exchange";
      json["kind"] = exchange_name(event.exchange);
      json["command"] = bytes_of(event);
      break;
    case TraceEventKind::written:
      json["event"] = "write";
      json["data"] = bytes_of(event);
      break;
    case TraceEventKind::read:
      json["event"] = "read";
      json["requested"] = event.requested;
      json["data"] = bytes_of(event);
      break;
    case TraceEventKind::stage:
      json["event"] = "stage";
      json["stage"] = stage_name(event.stage);
      json["outcome"] = outcome_name(event.outcome);
      if (event.budget_left >= 0) json["budget_left"] = event.budget_left;
      break;
    case TraceEventKind::exchange_ended:
      json["event"] = "result";
      json["result"] = bytes_of(event);
      break;
  }
  if (event.cancelled) {
    json["interrupted"] = true;
  } else if (!event.succeeded) {
    json["failed"] = true;
  }
  return true;
}

}  // namespace

bool ExchangeTraceFile::open(const std::string& path, const Invocation& invocation) {
  file_.open(path, std::ios::binary | std::ios::trunc);
  if (!file_) return false;
  start_ = std::chrono::steady_clock::now();
  Json command_line = Json::array();
  for (const std::string& argument : invocation.arguments) command_line.push_back(utf8_of_latin1(argument));
  write_line({{"event", "open"},
              {"time", local_time_with_offset_now()},
              {"program", program_and_version()},
              {"command_line", command_line},
              {"port", utf8_of_latin1(invocation.port)}});
  return true;
}

ExchangeTraceSink ExchangeTraceFile::sink() {
  if (!file_.is_open()) return nullptr;
  return [this](const TraceEvent& event) {
    Json json;
    if (describe(event, json)) write_line(json);
  };
}

void ExchangeTraceFile::close(int exit_code) {
  if (!file_.is_open()) return;
  write_line({{"event", "close"}, {"exit_code", exit_code}});
  file_.close();
}

void ExchangeTraceFile::write_line(const nlohmann::ordered_json& event) {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  Json line;
  line["t"] = static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()) / 1e6;
  line.update(event);
  // ASCII only: control bytes and bytes above 127 as \u escapes.
  file_ << line.dump(-1, ' ', true) << '\n';
  file_.flush();
}
