#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include "cli/browser.h"

std::string open_in_browser(const std::string& path) {
  // The handler behind "open" may be a shell extension that needs COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const HINSTANCE result = ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
  // ShellExecute's result is an error code of 32 or less, else success.
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return std::string();
  return "the shell could not open it (error " + std::to_string(code) + ")";
}
