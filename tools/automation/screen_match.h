#pragma once
// Recognising icons on screen, for the end-to-end automation program.
//
// Under Wine an icon handle of another process cannot be read (its bits live
// in that process), so the icons are compared where they are drawn: the
// screen is captured with BitBlt from the screen DC, and the candidate icon is
// drawn the way the target draws it and compared pixel by pixel.
// - A message box icon is drawn by its static control over the box's
//   background; each standard icon is drawn over the same background and the
//   closest one names it.
// - The caption icon is the class's small icon drawn over the caption. Only
//   the expected icon's opaque pixels are compared, because the caption
//   under the translucent ones differs with the caption colours; the icon is
//   looked for at every offset near the caption's left end.
//
// What it does not do: recognise icons it has no candidate for.

#include <windows.h>

#include <string>

// "error", "warning", "information", "question", or "unknown".
std::string identify_box_icon(HWND icon_control);

// Whether the window's caption shows the icon resource icon_id of the module
// file module_path, at the small icon size.
bool caption_shows_icon(HWND window, const std::string& module_path, int icon_id);
