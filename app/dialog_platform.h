#pragma once
// The raw calls beneath the portable rules of the dialog seam (dialog.cpp):
// each platform implements them (dialog_win32.cpp, tests/fakes/fake_dialog.cpp)
// and only dialog.cpp calls them. Operations call enable_control and
// show_message_box in app/dialog.h instead, which apply the lock and the
// suppression of boxes first.

#include "app/dialog.h"

void platform_enable_control(DialogHandle dialog, int control_id, bool enabled);
BoxAnswer platform_show_message_box(DialogHandle dialog, const MessageBoxSpec& box);
