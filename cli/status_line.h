#pragma once
// The status line of 719k on standard error: what the program is doing and
// for how long, and, once the instrument has been silent for a while, for
// how long it has been silent and when the program will give up, so that
// nobody waits in front of a quiet terminal wondering.
//
// Two forms. On a terminal, one line rewritten in place, counting on while
// the line is waited for, and cleared before any message and at the end.
// For the logs of scheduled jobs (--progress), one line per event with the
// date and time in front: each phase, the download every few seconds, and
// the waiting text when the silence begins and every few seconds after.
//
// It learns what happens from three sources: the command names its phases
// ("contacting the instrument on /dev/ttyUSB0", "reading the settings 3/8")
// and counts the lines of a download; the link's trace tells when bytes
// come and which read is waiting; the port's wait hook, called at least
// every 50 ms while the line is waited for, lets the line count on.
//
// When the program gives up is known in two cases only: while the
// attention byte goes unanswered, from the retries left, and while a log
// line is waited for, the transfer's last chance. Elsewhere nothing is
// promised.

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "link/exchange_trace.h"

enum class StatusForm { off, live, timestamped };

using StatusClock = std::chrono::steady_clock;

// What the line shows at a moment, as pure data.
struct StatusState {
  std::string phase;                        // what the program is doing
  StatusClock::time_point started;          // the command's start
  std::optional<std::size_t> lines;         // a download's lines so far
  std::optional<StatusClock::time_point> download_started;
  StatusClock::time_point last_heard;       // the last byte from the instrument, or the first byte sent
  std::optional<StatusClock::time_point> giving_up_at;
};

// Silence from this long on is worth telling.
inline constexpr std::chrono::seconds kSilenceShownAfter{2};

// "reading the settings 3/8, 0:12; waiting for the instrument: no answer for
// 6 s, giving up in 7 s", or "downloading: 120 lines, 2.4 lines/s, 0:52".
std::string status_text(const StatusState& state, StatusClock::time_point now);

class StatusLine {
 public:
  using Now = std::function<StatusClock::time_point()>;
  // wall_time_text gives the local date and time for the timestamped form.
  StatusLine(std::ostream& err, StatusForm form, Now now = StatusClock::now,
             std::function<std::string()> wall_time_text = nullptr);
  ~StatusLine() { clear(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  void phase(const std::string& text);
  void download_progress(std::size_t lines);
  // What the link reports: bytes sent and heard, reads begun, stages.
  void trace(const TraceEvent& event);
  // The wait hook: shows the time passing.
  void tick();
  // Takes the live line off the terminal, before a message goes there.
  void clear();

 private:
  void show(bool event);
  bool silent_long(StatusClock::time_point now) const;

  std::ostream& err_;
  const StatusForm form_;
  const Now now_;
  const std::function<std::string()> wall_time_text_;
  StatusState state_;
  bool talking_ = false;  // something was sent: silence counts from then
  // Trace bookkeeping for when the program gives up.
  bool in_log_transfer_ = false;
  bool log_transfer_opened_ = false;
  int attention_retries_left_ = -1;
  StatusClock::time_point read_deadline_{};
  // What the terminal shows now, and when it was written.
  std::size_t shown_width_ = 0;
  StatusClock::time_point last_shown_{};
  bool silence_reported_ = false;
};

// The form the command line asks for: --progress forces the timestamped
// form, --quiet turns it off, and otherwise a terminal gets the live line.
StatusForm status_form(bool stderr_is_terminal, bool quiet, bool progress);
