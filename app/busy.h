#pragma once
// Status bar and progress bar conventions shared by every operation.
//
// An operation starts with busy_start (its busy text, the top of its range and
// its step), makes a progress step after each exchange or line (none once the
// bar is full, so that a long log does not start it over), and ends with
// busy_finish: the bar is filled and the status shows the connection state,
// "Connected" while a port is open and "Disconnected" while none is (Export
// Log and Print Log can run after Disconnect).

#include "app/dialog.h"

inline constexpr const char* kStatusConnected = "Connected";
inline constexpr const char* kStatusDisconnected = "Disconnected";

void busy_start(DialogHandle dialog, const char* busy_text, int top, int step);
void progress_step(DialogHandle dialog);
void busy_finish(DialogHandle dialog);
