#pragma once
// One instrument on one open serial port: what a front end holds to run the
// core's operations (firmware, clock, settings, data log) on it.
//
// It owns the link over the port, so the protocol stays out of the front
// ends' sight, and it remembers how the last exchange ended, as a database
// connection remembers its last error: an operation returns plain values,
// and a front end that wants to name the cause of a failure asks here. The
// caller owns the port and keeps it open while the instrument lives; the
// instrument holds no state that another instrument could see.

#include <memory>

#include "link/exchange_trace.h"
#include "link/link_failure.h"
#include "link/serial_port.h"

class InstrumentLink;

class Instrument {
 public:
  // The trace, when given, hears every event of every exchange.
  explicit Instrument(SerialPort& port, ExchangeTraceSink trace = nullptr);
  ~Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // How the last exchange ended: none when it succeeded (or none ran yet).
  LinkFailure last_failure() const { return last_failure_; }

  // --- For the core's operations ---------------------------------------------
  InstrumentLink& link() { return *link_; }
  // Returns the failure after noting it as the last one.
  LinkFailure note(LinkFailure failure) {
    last_failure_ = failure;
    return failure;
  }

 private:
  std::unique_ptr<InstrumentLink> link_;
  LinkFailure last_failure_ = LinkFailure::none;
};
