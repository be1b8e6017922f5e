#include "link/link_cancel.h"

namespace {
bool cancel_requested = false;
}  // namespace

void link_cancel_request() { cancel_requested = true; }
void link_cancel_clear() { cancel_requested = false; }
bool link_cancel_requested() { return cancel_requested; }
