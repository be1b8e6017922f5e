#include "window_probe.h"

namespace {

// Common dialog ids of the file name field: the combo box of the newer
// explorer-style template and the plain edit of the older one.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
// The message text of a message box.
constexpr int kMessageBoxTextId = 0xffff;

std::string class_name_of(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Texts are read in their wide form and converted here: Wine hands list and
// combo items of another process over in UTF-16 even to the ANSI message.
std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &out[0], size, nullptr, nullptr);
  return out;
}

using SendFunction = decltype(&SendMessageTimeoutA);

bool send_through(SendFunction send, HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                  LRESULT* result) {
  DWORD_PTR answer = 0;
  if (!send(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) return false;
  *result = static_cast<LRESULT>(answer);
  return true;
}

bool send_wide(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  return send_through(SendMessageTimeoutW, window, message, wparam, lparam, result);
}

// One text by index or of the window itself: the length first, then the text.
bool read_wide_text(HWND window, UINT length_message, UINT text_message, WPARAM index, bool index_is_size,
                    std::string* text) {
  LRESULT length = 0;
  if (!send_wide(window, length_message, index, 0, &length) || length < 0) return false;
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  const WPARAM first = index_is_size ? buffer.size() : index;
  if (!send_wide(window, text_message, first, reinterpret_cast<LPARAM>(&buffer[0]), &copied) || copied < 0)
    return false;
  buffer.resize(static_cast<std::size_t>(copied));
  *text = narrow(buffer);
  return true;
}

bool read_indexed_texts(HWND control, UINT count_message, UINT length_message, UINT text_message,
                        std::vector<std::string>* items) {
  LRESULT count = 0;
  if (!send_wide(control, count_message, 0, 0, &count) || count < 0) return false;
  items->clear();
  for (LRESULT i = 0; i < count; ++i) {
    std::string item;
    if (!read_wide_text(control, length_message, text_message, static_cast<WPARAM>(i), false, &item))
      return false;
    items->push_back(item);
  }
  return true;
}

struct TitleSearch {
  const std::string* title;
  HWND found;
};

BOOL CALLBACK match_title(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (IsWindowVisible(window) && *search->title == title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct DialogSearch {
  DWORD process_id;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD owner_process = 0;
  GetWindowThreadProcessId(window, &owner_process);
  if (owner_process == search->process_id && IsWindowVisible(window) && class_name_of(window) == "#32770")
    search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK collect_box_part(HWND child, LPARAM context) {
  auto* info = reinterpret_cast<BoxInfo*>(context);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  const std::string kind = class_name_of(child);
  if (kind == "Button" && IsWindowVisible(child) && (style & BS_TYPEMASK) != BS_GROUPBOX) {
    BoxButton button{GetDlgCtrlID(child), {}};
    read_window_text(child, &button.text);
    info->buttons.push_back(button);
  } else if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
    LRESULT icon = 0;
    if (send_with_timeout(child, STM_GETICON, 0, 0, &icon) && icon != 0) info->icon_control = child;
  }
  return TRUE;
}

}  // namespace

bool send_with_timeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  return send_through(SendMessageTimeoutA, window, message, wparam, lparam, result);
}

bool read_window_text(HWND window, std::string* text) {
  return read_wide_text(window, WM_GETTEXTLENGTH, WM_GETTEXT, 0, true, text);
}

bool read_list_box(HWND list, std::vector<std::string>* items) {
  return read_indexed_texts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, items);
}

bool read_combo_box(HWND combo, std::vector<std::string>* items) {
  return read_indexed_texts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, items);
}

HWND find_top_level(const std::string& title) {
  TitleSearch search{&title, nullptr};
  EnumWindows(match_title, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> find_process_dialogs(DWORD process_id) {
  DialogSearch search{process_id, {}};
  EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool read_box(HWND box, BoxInfo* info) {
  *info = BoxInfo{};
  info->owner = GetWindow(box, GW_OWNER);
  if (!read_window_text(box, &info->caption)) return false;
  if (HWND message = GetDlgItem(box, kMessageBoxTextId)) {
    if (!read_window_text(message, &info->text)) return false;
  }
  EnumChildWindows(box, collect_box_part, reinterpret_cast<LPARAM>(info));
  return true;
}

void post_click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

HWND focused_window_of(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void post_key(HWND target, UINT virtual_key) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(target, WM_KEYDOWN, virtual_key, scan | 1);
  PostMessageA(target, WM_KEYUP, virtual_key, scan | 1 | (LPARAM{3} << 30));
}

bool set_file_dialog_name(HWND file_dialog, const std::string& path) {
  HWND field = GetDlgItem(file_dialog, kFileNameCombo);
  if (!field) field = GetDlgItem(file_dialog, kFileNameEdit);
  if (!field) return false;
  LRESULT done = 0;
  return send_with_timeout(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), &done) && done != 0;
}

RECT child_rect_in(HWND dialog, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
