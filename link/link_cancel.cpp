#include "link/link_cancel.h"

#include <atomic>

namespace {
// Lock-free, so a signal handler or another thread may set it.
std::atomic<bool> cancel_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a cancel must be safe to request from a signal handler");
}  // namespace

void link_cancel_request() { cancel_requested = true; }
void link_cancel_clear() { cancel_requested = false; }
bool link_cancel_requested() { return cancel_requested; }
