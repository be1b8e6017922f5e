#pragma once
// The --trace file: the exchange with the instrument as JSON Lines, one
// event a line, flushed as it goes, so that what a support technician gets
// is complete up to the moment the program stopped, however it stopped.
//
//   {"t":0.0,"event":"open","time":"2026-12-07T08:30:01+01:00","program":"719k 1.1.0",
//    "command_line":["--port","/dev/ttyUSB0","config","get"],"port":"/dev/ttyUSB0"}
//   {"t":0.0012,"event":"exchange","kind":"query","command":"GET USER ID"}
//   {"t":0.0013,"event":"write","data":"?"}
//   {"t":0.0051,"event":"read","requested":1,"data":"!"}
//   {"t":0.0051,"event":"stage","stage":"attention","outcome":"passed","budget_left":15}
//   {"t":0.21,"event":"result","result":"USER ID..........000000042"}
//   {"t":0.5,"event":"close","exit_code":0}
//
// t is in seconds from the start of the trace, on a monotonic clock; the
// open event gives the wall-clock time it stands for. data holds the bytes
// as they crossed the wire, each byte as the character of the same number
// (so Latin-1 encoding gives the bytes back). A write or read that the
// platform refused, and an exchange that failed, carry "failed":true; one
// that a stop request (Ctrl-C) ended carries "interrupted":true instead. A
// read that merely timed out carries neither. Joining the data of every
// write gives exactly what the host sent, of every read exactly what it
// received.

#include <nlohmann/json_fwd.hpp>

#include <chrono>
#include <fstream>
#include <string>

#include "cli/arguments.h"
#include "link/exchange_trace.h"

class ExchangeTraceFile {
 public:
  ExchangeTraceFile() = default;
  ExchangeTraceFile(const ExchangeTraceFile&) = delete;
  ExchangeTraceFile& operator=(const ExchangeTraceFile&) = delete;

  // Creates the file (replacing one) and writes the open event. False when
  // the file cannot be written.
  bool open(const std::string& path, const Invocation& invocation);

  // What the instrument reports to: this file's events, or nothing when no
  // file is open. Not to be used after close.
  ExchangeTraceSink sink();

  // Ends the trace with the close event and the program's exit code.
  void close(int exit_code);

 private:
  void write_line(const nlohmann::ordered_json& event);

  std::ofstream file_;
  std::chrono::steady_clock::time_point start_;
};
