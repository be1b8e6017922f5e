#include "app/about.h"

const char* const kAboutText = "\tVersion " SET719K_VERSION "\r\n\r\nPublished by the 719K Set project.";

void show_about(DialogHandle dialog) {
  show_message_box(dialog, MessageBoxSpec{kAboutText, kAboutCaption, BoxButtons::ok, BoxIcon::none});
}
