#include "answer_watch.h"

namespace {

double now_ms() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

AnswerWatch watch_answers(HWND window, DWORD limit_ms, DWORD interval_ms, const std::function<bool()>& end) {
  AnswerWatch watch;
  const double started_ms = now_ms();
  while (now_ms() - started_ms < limit_ms) {
    const double sent_ms = now_ms();
    DWORD_PTR ignored = 0;
    const bool answered =
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWatchSendTimeoutMs, &ignored) != 0;
    const double took_ms = now_ms() - sent_ms;
    ++watch.samples;
    if (took_ms > watch.slowest_ms) watch.slowest_ms = took_ms;
    if (!answered) ++watch.unanswered;
    if (IsHungAppWindow(window)) ++watch.hung;
    if (end()) {
      watch.ended = true;
      break;
    }
    Sleep(interval_ms);
  }
  return watch;
}
