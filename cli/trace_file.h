#pragma once
// The --trace file: the exchange with the instrument as JSON Lines, one
// event a line, flushed as it goes, so that what a support technician gets
// is complete up to the moment the program stopped, however it stopped.
//
//   {"t":0.0,"event":"open","port":"/dev/ttyUSB0","program":"719k 1.0.0"}
//   {"t":0.0012,"event":"exchange","kind":"query","command":"GET USER ID"}
//   {"t":0.0013,"event":"write","data":"?"}
//   {"t":0.0051,"event":"read","requested":1,"data":"!"}
//   {"t":0.0051,"event":"stage","stage":"attention","outcome":"passed","budget_left":15}
//   {"t":0.21,"event":"result","result":"USER ID..........000000042"}
//   {"t":0.5,"event":"close"}
//
// t is in seconds from the start of the trace, on a monotonic clock. data
// holds the bytes as they crossed the wire, each byte as the character of
// the same number (so Latin-1 encoding gives the bytes back); a write or
// read that the platform refused carries "failed":true. Joining the data
// of every write gives exactly what the host sent, of every read exactly
// what it received.

#include <nlohmann/json_fwd.hpp>

#include <chrono>
#include <fstream>
#include <string>

#include "link/exchange_trace.h"

class ExchangeTraceFile {
 public:
  ExchangeTraceFile() = default;
  ExchangeTraceFile(const ExchangeTraceFile&) = delete;
  ExchangeTraceFile& operator=(const ExchangeTraceFile&) = delete;
  // Ends the trace with the close event. The sink must not be used after.
  ~ExchangeTraceFile();

  // Creates the file (replacing one). False when it cannot be written.
  bool open(const std::string& path, const std::string& port_name);

  // What the instrument reports to: this file's events, or nothing when no
  // file is open.
  ExchangeTraceSink sink();

 private:
  void write_line(const nlohmann::ordered_json& event);

  std::ofstream file_;
  std::chrono::steady_clock::time_point start_;
};
