#include "cli/status_line.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "cli/arguments.h"
#include "cli/wall_clock.h"
#include "link/serial_port.h"

namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;
using std::chrono::seconds;

// A live line is rewritten at most this often; the terminal need not
// redraw at every 50 ms wait slice.
constexpr milliseconds kLiveRedrawInterval{250};
// The timestamped form repeats a download's count or a silence this often.
constexpr seconds kTimestampedRepeat{10};
// An unanswered attention byte costs a 1-byte read: 400 ms for the byte
// and 400 ms in all.
constexpr milliseconds kAttentionAttempt{2 * kLinkTimeoutMs};

std::string minutes_and_seconds(StatusClock::duration elapsed) {
  const long long total = duration_cast<seconds>(elapsed).count();
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  return text;
}

long long whole_seconds(StatusClock::duration span) { return std::max<long long>(0, duration_cast<seconds>(span).count()); }

long long seconds_rounded_up(StatusClock::duration span) {
  return std::max<long long>(0, std::chrono::ceil<seconds>(span).count());
}

}  // namespace

std::string status_text(const StatusState& state, StatusClock::time_point now) {
  std::string text;
  const std::string elapsed = minutes_and_seconds(now - state.started);
  if (state.lines) {
    text = "downloading: " + std::to_string(*state.lines) + (*state.lines == 1 ? " line" : " lines");
    if (state.download_started && now - *state.download_started >= seconds(1)) {
      const double rate = static_cast<double>(*state.lines) /
                          std::chrono::duration<double>(now - *state.download_started).count();
      char rate_text[32];
      std::snprintf(rate_text, sizeof rate_text, ", %.1f lines/s", rate);
      text += rate_text;
    }
    text += ", " + elapsed;
  } else {
    text = state.phase + ", " + elapsed;
  }
  if (now - state.last_heard >= kSilenceShownAfter) {
    text += "; waiting for the instrument: no answer for " + std::to_string(whole_seconds(now - state.last_heard)) + " s";
    if (state.giving_up_at) {
      text += ", giving up in " + std::to_string(seconds_rounded_up(*state.giving_up_at - now)) + " s";
    }
  }
  return text;
}

StatusLine::StatusLine(std::ostream& err, StatusForm form, Now now, std::function<std::string()> wall_time_text)
    : err_(err),
      form_(form),
      now_(std::move(now)),
      wall_time_text_(wall_time_text ? std::move(wall_time_text) : [] { return local_time_text(std::time(nullptr)); }) {
  state_.started = now_();
  state_.last_heard = state_.started;
}

void StatusLine::phase(const std::string& text) {
  state_.phase = text;
  state_.lines.reset();
  show(true);
}

void StatusLine::download_progress(std::size_t lines) {
  const StatusClock::time_point now = now_();
  if (!state_.download_started) state_.download_started = now;
  state_.lines = lines;
  // The phase said that the download began; a log gets the count now and then.
  show(form_ == StatusForm::live || now - last_shown_ >= kTimestampedRepeat);
}

void StatusLine::trace(const TraceEvent& event) {
  const StatusClock::time_point now = now_();
  switch (event.kind) {
    case TraceEventKind::exchange_started:
      in_log_transfer_ = event.exchange == TraceExchange::log_transfer;
      log_transfer_opened_ = false;
      attention_retries_left_ = -1;
      state_.giving_up_at.reset();
      break;
    case TraceEventKind::written:
      if (!talking_) state_.last_heard = now;
      talking_ = true;
      break;
    case TraceEventKind::read_started: {
      read_deadline_ = now + milliseconds(kLinkTimeoutMs) * static_cast<long long>(event.requested + 1);
      if (in_log_transfer_ && log_transfer_opened_ && event.requested > 1) {
        state_.giving_up_at = read_deadline_;  // a log line's read is the transfer's last chance
      } else if (attention_retries_left_ >= 0 && event.requested == 1) {
        state_.giving_up_at = read_deadline_ + kAttentionAttempt * attention_retries_left_;
      } else {
        state_.giving_up_at.reset();
      }
      break;
    }
    case TraceEventKind::read:
      if (event.count > 0) {
        state_.last_heard = now;
        silence_reported_ = false;
      }
      break;
    case TraceEventKind::stage:
      attention_retries_left_ =
          event.stage == TraceStage::attention && event.outcome == StageOutcome::retry ? event.budget_left : -1;
      if (in_log_transfer_ && event.stage == TraceStage::echo && event.outcome == StageOutcome::passed) {
        log_transfer_opened_ = true;
      }
      break;
    case TraceEventKind::exchange_ended:
      state_.giving_up_at.reset();
      break;
  }
}

void StatusLine::tick() {
  const StatusClock::time_point now = now_();
  if (form_ == StatusForm::live) {
    show(false);
  } else if (silent_long(now) && (!silence_reported_ || now - last_shown_ >= kTimestampedRepeat)) {
    silence_reported_ = true;
    show(true);
  }
}

bool StatusLine::silent_long(StatusClock::time_point now) const {
  return talking_ && now - state_.last_heard >= kSilenceShownAfter;
}

void StatusLine::show(bool event) {
  if (form_ == StatusForm::off || state_.phase.empty()) return;
  if (form_ == StatusForm::timestamped && !event) return;
  const StatusClock::time_point now = now_();
  if (!event && now - last_shown_ < kLiveRedrawInterval) return;
  StatusState shown = state_;
  if (!talking_) shown.last_heard = now;  // nothing sent yet: nothing to wait for
  const std::string text = std::string(kProgramName) + ": " + status_text(shown, now);
  last_shown_ = now;
  if (form_ == StatusForm::timestamped) {
    err_ << wall_time_text_() << ' ' << text << '\n' << std::flush;
    return;
  }
  // Blanks over what is left of a longer line before.
  err_ << '\r' << text << std::string(shown_width_ > text.size() ? shown_width_ - text.size() : 0, ' ')
       << std::flush;
  shown_width_ = text.size();
}

void StatusLine::clear() {
  if (shown_width_ == 0) return;
  err_ << '\r' << std::string(shown_width_, ' ') << '\r' << std::flush;
  shown_width_ = 0;
}

StatusForm status_form(bool stderr_is_terminal, bool quiet, bool progress) {
  if (progress) return StatusForm::timestamped;
  if (quiet || !stderr_is_terminal) return StatusForm::off;
  return StatusForm::live;
}

