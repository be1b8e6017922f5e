#pragma once
// The test fixtures that the tests of the wire, the instrument core and the
// front ends start from:
//   FakeInstrumentTest  an instrument model on a fake line, nothing open;
//   OpenLinkTest        a port open onto the line and the link over it;
//   OpenInstrumentTest  a port open onto the line and the core's
//                       Instrument on it.
// tests/fakes/dialog_fixtures.h goes on from there for the dialog.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "instrument/instrument.h"
#include "link/instrument_link.h"
#include "link/cancel_token.h"
#include "link/serial_port.h"
#include "tests/fakes/fake_serial_port.h"
#include "tools/instrument_model.h"

// SetUp may be called again within a test for a fresh start.
class FakeInstrumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = InstrumentModel();
    model.state = default_instrument_state();
    line = FakeSerialLine();
    line.attach(&model);
    cancel.clear();
  }

  InstrumentModel model;
  FakeSerialLine line;
  CancelToken cancel;
};

class OpenLinkTest : public FakeInstrumentTest {
 public:
  TransactionResult query(const std::string& command_text) { return link->query(command_text); }
  TransactionResult order(const std::string& command_text) { return link->order(command_text); }

 protected:
  void SetUp() override {
    link.reset();
    port.reset();
    FakeInstrumentTest::SetUp();
    port = line.open(cancel);
    link = std::make_unique<InstrumentLink>(*port);
  }

  std::unique_ptr<SerialPort> port;
  std::unique_ptr<InstrumentLink> link;
};

class OpenInstrumentTest : public FakeInstrumentTest {
 protected:
  void SetUp() override {
    instrument.reset();
    port.reset();
    FakeInstrumentTest::SetUp();
    port = line.open(cancel);
    instrument = std::make_unique<Instrument>(*port);
  }

  std::unique_ptr<SerialPort> port;
  std::unique_ptr<Instrument> instrument;
};
