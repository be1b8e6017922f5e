#pragma once
// The main dialog's commands, run one at a time.
//
// An instrument operation (Connect, Get Config, Save Config with the Get
// Config after it, Set Time, Download Log, Erase Instrument Data) waits for
// the line while the window goes on dispatching its messages
// (link/serial_port.h), so the operator can press buttons meanwhile. To keep
// a second exchange from starting inside the first, the operation runs with
// every button and the port selector locked (app/dialog.h: the operation's
// own enable_control calls are recorded and take effect when it returns),
// and every command that arrives meanwhile is dropped, except:
//   - Download Log's cancel: its own button, which reads "Cancel" and stays
//     enabled while it runs, and Escape. A click on that button within the
//     system's double-click time after the download started or ended does
//     nothing (unless another command ran in between), so that neither half
//     of a double-click undoes the other; Escape cancels at any time;
//   - the close box, which cancels the exchange in progress at once and ends
//     the dialog (port closed, end code 0) as soon as the operation has
//     returned; from then on no message box is shown.
// After a cancelled operation the next one first throws away what the line
// still brought of the abandoned exchange (the rest of a log line), so that
// those bytes do not answer its attention byte.
// Disconnect, Export Log, Print Log, About and Quit run directly: none of
// them waits for the line (printing disables the whole dialog itself).
//
// Deliberately not done: queueing the commands that came during an
// operation. They are dropped, as the disabled buttons tell the operator.

#include "app/dialog.h"

// The command id that the dialog manager sends for Escape (IDCANCEL).
inline constexpr int kEscapeCommandId = 2;
inline constexpr int kEndCodeClosed = 0;  // the close box
inline constexpr int kEndCodeQuit = 1;

// The dialog has opened: no operation, no close pending, boxes shown, and
// the port selector filled with COM1 selected.
void main_dialog_opened(DialogHandle dialog);

// A command from a button or key. True when it is one of the dialog's
// commands (run, or dropped during an operation); false for the ids that
// nothing handles (the edits, the list, the port selector, Enter, and Escape
// outside a download).
bool handle_dialog_command(DialogHandle dialog, int command_id);

// The close box (WM_CLOSE): ends the dialog at once, or after the operation
// in progress.
void handle_close_box(DialogHandle dialog);
