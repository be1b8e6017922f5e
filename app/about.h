#pragma once
// The About box: the program's version and publisher notice.
//
// Shown as a plain OK box owned by the main dialog; it changes nothing else,
// whatever the connection state.

#include "app/dialog.h"

// A tab, "Version ", the project's version (the one in the file's version
// resource too), a blank line and the publisher's line.
extern const char* const kAboutText;
inline constexpr const char* kAboutCaption = "About TARVELL 719K";

void show_about(DialogHandle dialog);
