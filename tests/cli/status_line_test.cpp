// The status line's words at given moments, and when it promises to give
// up, on a clock the test moves by hand.

#include "cli/status_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const StatusClock::time_point kStart{};

TEST(StatusText, SaysWhatHowLongAndForHowLongTheInstrumentHasBeenSilent) {
  struct Case {
    const char* name;
    StatusState state;
    StatusClock::duration at;
    const char* text;
  };
  StatusState contacting{"contacting the instrument on COM3", kStart, {}, {}, kStart, {}};
  StatusState silent = contacting;
  silent.giving_up_at = kStart + milliseconds(12'900);
  StatusState downloading = contacting;
  downloading.lines = 120;
  downloading.download_started = kStart + seconds(2);
  downloading.last_heard = kStart + seconds(51);
  const Case cases[] = {
      {"just begun", contacting, milliseconds(300), "contacting the instrument on COM3, 0:00"},
      {"silent, no end known", contacting, seconds(6),
       "contacting the instrument on COM3, 0:06; waiting for the instrument: no answer for 6 s"},
      {"silent, the end known", silent, milliseconds(6'500),
       "contacting the instrument on COM3, 0:06; waiting for the instrument: no answer for 6 s, giving up in 7 s"},
      {"downloading", downloading, seconds(52), "downloading: 120 lines, 2.4 lines/s, 0:52"},
      {"the first second of a download has no rate", downloading, milliseconds(2'500),
       "downloading: 120 lines, 0:02"},
  };
  for (const Case& c : cases) EXPECT_EQ(status_text(c.state, kStart + c.at), c.text) << c.name;
}

// An unanswered attention byte is retried while its budget lasts: the line
// knows then, and only then, when the exchange will be given up.
TEST(StatusLine, PromisesTheEndOnlyWhereTheLinkWillGiveUp) {
  StatusClock::time_point now = kStart;
  std::ostringstream err;
  StatusLine status(err, StatusForm::timestamped, [&now] { return now; }, [] { return std::string("DATE"); });
  const auto event = [&status](TraceEventKind kind) {
    TraceEvent trace{kind};
    trace.requested = 1;
    status.trace(trace);
  };
  status.phase("reading the clock");
  event(TraceEventKind::written);
  for (int budget_left : {14, 13}) {  // a silent line: the 1-byte reads of 0.8 s bring nothing
    event(TraceEventKind::read_started);
    now += milliseconds(800);
    event(TraceEventKind::read);
    TraceEvent retry{TraceEventKind::stage};
    retry.outcome = StageOutcome::retry;
    retry.budget_left = budget_left;
    status.trace(retry);
  }
  event(TraceEventKind::read_started);
  now += milliseconds(500);
  status.tick();
  // The third read's 0.3 s left, then thirteen more attempts of 0.8 s: the
  // sixteenth attempt ends at 12.8 s.
  EXPECT_EQ(err.str(),
            "DATE 719k: reading the clock, 0:00\n"
            "DATE 719k: reading the clock, 0:02; waiting for the instrument: no answer for 2 s, giving up in 11 s\n");
  TraceEvent echo{TraceEventKind::stage};
  echo.stage = TraceStage::echo;
  echo.outcome = StageOutcome::retry;
  status.trace(echo);
  event(TraceEventKind::read_started);
  now += seconds(10);
  status.tick();
  EXPECT_NE(err.str().find("no answer for 12 s\n"), std::string::npos) << err.str() << "no end promised after an echo";
}

}  // namespace
