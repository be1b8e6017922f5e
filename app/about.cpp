#include "app/about.h"

void show_about(DialogHandle dialog) {
  show_message_box(dialog, MessageBoxSpec{kAboutText, kAboutCaption, BoxButtons::ok, BoxIcon::none});
}
