#pragma once
// The About box: the program's version and publisher notice.
//
// Shown as a plain OK box owned by the main dialog; it changes nothing else,
// whatever the connection state.

#include "app/dialog.h"

inline constexpr const char* kAboutText = "\tVersion 1.0B\r\n\r\nPublished by the 719K Set project.";
inline constexpr const char* kAboutCaption = "About TARVELL 719K";

void show_about(DialogHandle dialog);
