// Two instruments served at once by one process: two instrument-sim
// processes on two pseudo-terminals, each downloaded by a thread of its own
// through its own POSIX port. Both logs come out whole, and each wire
// exchange (the simulator's transcript) is byte for byte what it is when
// that instrument is downloaded alone. How long the two take together
// against alone is a benchmark's figure (tests/bench), not asserted here.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "instrument/data_log.h"
#include "link/serial_port.h"
#include "tests/tools/sim_process.h"
#include "tools/instrument_state_file.h"

namespace {

struct SimulatedInstrument {
  std::vector<std::string> log;
  std::string state_path;
  std::string transcript_path;
};

SimulatedInstrument prepared_instrument(const std::string& name, const std::string& prefix) {
  const std::string work = testing::TempDir() + "two_instruments_" + name + "_";
  SimulatedInstrument instrument{{}, work + "state.txt", work + "transcript.txt"};
  InstrumentState state = default_instrument_state();
  for (int i = 0; i < 6; ++i) instrument.log.push_back(prefix + std::to_string(10 + i) + "    OK");
  state.log_lines = instrument.log;
  std::string error;
  EXPECT_TRUE(save_instrument_state(instrument.state_path, state, error)) << error;
  std::remove(instrument.transcript_path.c_str());
  return instrument;
}

// Downloads the log through the real port; the sim writes its transcript.
DataLogDownload download_from(const std::string& pty) {
  CancelToken cancel;
  SerialPortOpening opening = open_serial_port(pty, cancel);
  if (!opening.port) return {};
  Instrument instrument(*opening.port);
  return download_data_log(instrument, nullptr);
}

// The download, and the simulator's transcript of it.
struct Served {
  DataLogDownload download;
  std::string transcript;
};

TEST(TwoInstruments, TwoSimulatorsServedByTwoThreadsAtOnceEachAsAlone) {
  const SimulatedInstrument first = prepared_instrument("first", "05/23/08 1432   A00017       ");
  const SimulatedInstrument second = prepared_instrument("second", "06/01/09 0915   B00102       ");
  const auto serve = [](const SimulatedInstrument& instrument, bool together_with_another,
                        const SimulatedInstrument* other, Served* other_served) {
    Served served;
    SimProcess sim({"--state", instrument.state_path, "--transcript", instrument.transcript_path});
    if (!together_with_another) {
      served.download = download_from(sim.pty);
    } else {
      SimProcess other_sim({"--state", other->state_path, "--transcript", other->transcript_path});
      std::thread other_thread([&] { other_served->download = download_from(other_sim.pty); });
      served.download = download_from(sim.pty);
      other_thread.join();
      other_sim.stop();
      other_served->transcript = file_text(other->transcript_path);
    }
    sim.stop();
    served.transcript = file_text(instrument.transcript_path);
    return served;
  };

  const Served first_alone = serve(first, false, nullptr, nullptr);
  const Served second_alone = serve(second, false, nullptr, nullptr);
  std::remove(first.transcript_path.c_str());
  std::remove(second.transcript_path.c_str());
  Served second_together;
  const Served first_together = serve(first, true, &second, &second_together);

  EXPECT_EQ(first_alone.download.lines, first.log);
  EXPECT_EQ(second_alone.download.lines, second.log);
  EXPECT_EQ(first_together.download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(second_together.download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(first_together.download.lines, first.log);
  EXPECT_EQ(second_together.download.lines, second.log);
  EXPECT_FALSE(first_alone.transcript.empty());
  EXPECT_EQ(first_together.transcript, first_alone.transcript);
  EXPECT_EQ(second_together.transcript, second_alone.transcript);
}

}  // namespace
