// The look at a port that a docking station takes: one attention byte, one
// read of the acknowledgement, nothing retried.

#include "instrument/presence.h"

#include <gtest/gtest.h>

#include "instrument/clock.h"
#include "tests/fakes/instrument_fixtures.h"

namespace {

using Presence = OpenInstrumentTest;

TEST_F(Presence, OneAttentionByteAndOneReadTellWhetherAnInstrumentAnswers) {
  struct Case {
    const char* name;
    void (*arrange)(InstrumentModel& model, FakeSerialLine& line);
    bool answers;
  };
  const Case cases[] = {
      {"an instrument", [](InstrumentModel&, FakeSerialLine&) {}, true},
      {"a silent instrument", [](InstrumentModel& m, FakeSerialLine&) { m.faults.silent = true; }, false},
      {"nothing on the line", [](InstrumentModel&, FakeSerialLine& l) { l.attach(nullptr); }, false},
      {"another byte", [](InstrumentModel&, FakeSerialLine& l) { l.attach_script({"?"}); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange(model, line);
    EXPECT_EQ(instrument_answers(*instrument), c.answers);
    EXPECT_EQ(line.host_writes(), (std::vector<std::string>{"?", "\r"}));
    EXPECT_EQ(line.read_requests(), std::vector<std::size_t>{1});
    EXPECT_LE(line.elapsed_us(), 800'000 + fake_transmission_us(2)) << "at most one wait of the link time-out";
  }
  // The instrument takes the next exchange's attention byte as ever.
  SetUp();
  ASSERT_TRUE(instrument_answers(*instrument));
  EXPECT_EQ(read_instrument_clock(*instrument).clock_text, model.state.clock);
}

}  // namespace
