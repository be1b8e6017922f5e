#pragma once
// Watching whether the program's window answers while it works, for the
// end-to-end tests: WM_NULL is sent at a steady pace, each answer is timed,
// and Windows' own verdict (IsHungAppWindow) is asked at every sample.
//
// The sends do not use SMTO_ABORTIFHUNG, so a window that is slow to answer
// is measured rather than skipped; a send without an answer within
// kWatchSendTimeoutMs counts as unanswered. The watch ends when the caller's
// end condition holds (checked after every sample) or at its time limit.

#include <windows.h>

#include <functional>

inline constexpr UINT kWatchSendTimeoutMs = 2000;

struct AnswerWatch {
  int samples = 0;
  double slowest_ms = 0;
  int hung = 0;        // samples at which IsHungAppWindow called the window hung
  int unanswered = 0;  // sends that got no answer in time
  bool ended = false;  // the end condition held before the time limit
};

AnswerWatch watch_answers(HWND window, DWORD limit_ms, DWORD interval_ms, const std::function<bool()>& end);
