// Several instruments at once: each on its own line, port and instrument
// object, served by a thread of its own, with nothing shared between them.
// Run under ThreadSanitizer too (scripts/test), which reports any state that
// the two threads would share after all.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "instrument/data_log.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/fakes/numbered_lines.h"
#include "tools/instrument_model.h"

namespace {

// One instrument at a docking port: its model on its own line.
struct Station {
  explicit Station(const std::string& reading_prefix) {
    model.state = default_instrument_state();
    model.state.log_lines = numbered_lines(reading_prefix, 400);
    line.attach(&model);
  }

  DataLogDownload download() {
    std::unique_ptr<SerialPort> port = line.open(cancel);
    Instrument instrument(*port);
    return download_data_log(instrument, nullptr);
  }

  InstrumentModel model;
  FakeSerialLine line;
  CancelToken cancel;
};

TEST(SeveralInstruments, TwoDownloadsAtOnceEachAsAlone) {
  Station first_alone("05/23/08 1432   A00017       ");
  Station second_alone("06/01/09 0915   B00102       ");
  const DataLogDownload first_expected = first_alone.download();
  const DataLogDownload second_expected = second_alone.download();
  ASSERT_EQ(first_expected.lines, first_alone.model.state.log_lines);
  ASSERT_EQ(second_expected.lines, second_alone.model.state.log_lines);

  Station first("05/23/08 1432   A00017       ");
  Station second("06/01/09 0915   B00102       ");
  DataLogDownload first_download, second_download;
  std::thread first_thread([&] { first_download = first.download(); });
  std::thread second_thread([&] { second_download = second.download(); });
  first_thread.join();
  second_thread.join();

  EXPECT_EQ(first_download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(second_download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(first_download.lines, first_expected.lines);
  EXPECT_EQ(second_download.lines, second_expected.lines);
  EXPECT_EQ(first.line.transcript_text(), first_alone.line.transcript_text()) << "the wire as when alone";
  EXPECT_EQ(second.line.transcript_text(), second_alone.line.transcript_text());
}

// A cancel belongs to the port it was handed to: stopping one download
// leaves the other running to its end.
TEST(SeveralInstruments, CancelOfOneDownloadLeavesTheOtherRunning) {
  Station stopped("05/23/08 1432   A00017       ");
  Station running("06/01/09 0915   B00102       ");
  stopped.line.on_wait([&stopped] {
    if (stopped.model.log_lines_acknowledged >= 10) stopped.cancel.request();
  });
  DataLogDownload stopped_download, running_download;
  std::thread stopped_thread([&] { stopped_download = stopped.download(); });
  std::thread running_thread([&] { running_download = running.download(); });
  stopped_thread.join();
  running_thread.join();

  EXPECT_EQ(stopped_download.outcome, DownloadOutcome::cancelled);
  EXPECT_LT(stopped_download.lines.size(), 20u);
  EXPECT_EQ(running_download.outcome, DownloadOutcome::complete);
  EXPECT_EQ(running_download.lines, running.model.state.log_lines);
}

}  // namespace
