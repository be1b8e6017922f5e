// Program start-up: common controls, the dialog's own window class, and the
// main dialog run modally; its end code is the process exit code.
//
// The main dialog gets a private class copied from the system's dialog class
// only so that its window carries the program's icon; everything else (the
// dialog window procedure, its extra bytes, cursor, brush) stays as copied.

#include <windows.h>
#include <commctrl.h>

#include "app/control_ids.h"
#include "app/main_dialog.h"

namespace {

constexpr const char* kDialogClassName = "_19ksetClass";
// The predefined dialog box class, by atom.
constexpr ATOM kSystemDialogClassAtom = 0x8002;
constexpr DWORD kAllCommonControlClasses = 0xFF;
// The exit code when the window class could not be set up: the program
// ends quietly, as after the close box.
constexpr int kExitCodeWithoutWindowClass = 0;

// The class record is 48 bytes only in the 32-bit build; a literal 48 in the
// 64-bit build makes RegisterClassExA fail, so cbSize is always sizeof.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(WNDCLASSEXA) == 48, "WNDCLASSEXA of the 32-bit build");
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = kAllCommonControlClasses;
  InitCommonControlsEx(&controls);

  WNDCLASSEXA dialog_class{};
  dialog_class.cbSize = sizeof dialog_class;
  if (!GetClassInfoExA(nullptr, MAKEINTATOM(kSystemDialogClassAtom), &dialog_class)) return kExitCodeWithoutWindowClass;
  dialog_class.hInstance = instance;
  dialog_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM_ICON));
  dialog_class.lpszClassName = kDialogClassName;
  if (!RegisterClassExA(&dialog_class)) return kExitCodeWithoutWindowClass;

  return run_main_dialog(instance);
}
