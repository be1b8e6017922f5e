// Drives the running program's main dialog from outside, for the end-to-end
// tests: a command loop on stdin and stdout, so that one automation process
// serves a whole test.
//
// Each command is one line, words separated by blanks; a trailing text
// argument runs to the end of the line, escaped as line_codec.h describes.
// Each answer is one line "ok [values]" or "error <reason>"; a command that
// returns a list answers "ok <count>" and then one line per element.
//
//   attach <timeout_ms> <title>   wait for the program's window; later
//                                 commands work on it
//   click <id>                    press a button without waiting for it
//   text <id> / set_text <id> <text> / enabled <id> / class <id>
//   focus <id> / focused          move or read the keyboard focus
//   key escape|enter              a key press at the focused control
//   progress <id>                 position, range low, range high
//   list <id> / combo <id>        the items of a list box or combo box
//   select <id> <index>           choose a combo box item
//   boxes                         the program's message boxes and common
//                                 dialogs, one line each
//   box_icon <hwnd>               which standard icon a message box shows
//   press <hwnd> <id>             press a button of a box
//   file_name <hwnd> <path>       type into a file dialog's name field
//   caption_icon <icon_id> <exe>  whether the caption shows that icon
//   rect <id> / window_rect       rectangles (client / screen coordinates)
//   resize <width> <height>       resize the window without waiting
//   close                         post WM_CLOSE
//   alive                         whether the window still exists
//   quit                          end the automation program
//
// Controls are named by id; id 0 names the main dialog itself.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "line_codec.h"
#include "screen_match.h"
#include "window_probe.h"

namespace {

constexpr DWORD kAttachPollMs = 50;

struct Session {
  HWND dialog = nullptr;
  DWORD process_id = 0;
};

struct Command {
  std::string name;
  std::istringstream words;
  std::string rest() {
    std::string text;
    std::getline(words >> std::ws, text);
    return unescape_line(text);
  }
};

std::string ok(const std::string& values = {}) { return values.empty() ? "ok" : "ok " + values; }
std::string fail(const std::string& reason) { return "error " + reason; }

std::string ok_list(const std::vector<std::string>& lines) {
  std::string out = ok(std::to_string(lines.size()));
  for (const auto& line : lines) out += "\n" + line;
  return out;
}

std::string hex(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

HWND parse_hwnd(const std::string& word) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(word.c_str(), nullptr, 0)));
}

HWND control(const Session& session, Command& command) {
  int id = -1;
  command.words >> id;
  if (id == 0) return session.dialog;
  return id > 0 ? GetDlgItem(session.dialog, id) : nullptr;
}

std::string attach(Session& session, Command& command) {
  DWORD timeout_ms = 0;
  command.words >> timeout_ms;
  const std::string title = command.rest();
  const DWORD start = GetTickCount();
  while (!(session.dialog = find_top_level(title))) {
    if (GetTickCount() - start > timeout_ms) return fail("no window titled " + title);
    Sleep(kAttachPollMs);
  }
  GetWindowThreadProcessId(session.dialog, &session.process_id);
  return ok(hex(session.dialog) + " " + std::to_string(session.process_id));
}

std::string describe_box(HWND box, HWND dialog) {
  BoxInfo info;
  if (!read_box(box, &info)) return "hwnd=" + hex(box) + "\tunreadable=1";
  std::string owner = info.owner == dialog ? "main" : info.owner ? hex(info.owner) : "none";
  std::string line = "hwnd=" + hex(box) + "\towner=" + owner + "\tcaption=" + escape_line(info.caption) +
                     "\ttext=" + escape_line(info.text) + "\ticon=" + (info.icon_control ? "1" : "0");
  for (const auto& button : info.buttons)
    line += "\tbutton." + std::to_string(button.id) + "=" + escape_line(button.text);
  return line;
}

std::string run(Session& session, Command& command) {
  const std::string& name = command.name;
  if (name == "attach") return attach(session, command);
  if (!session.dialog) return fail("not attached");
  if (name == "alive") return ok(IsWindow(session.dialog) ? "1" : "0");
  if (name == "window_rect") {
    RECT r{};
    GetWindowRect(session.dialog, &r);
    return ok(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
              " " + std::to_string(r.bottom));
  }
  if (name == "close") return PostMessageA(session.dialog, WM_CLOSE, 0, 0) ? ok() : fail("post failed");
  if (name == "boxes") {
    std::vector<std::string> lines;
    for (HWND box : find_process_dialogs(session.process_id)) lines.push_back(describe_box(box, session.dialog));
    return ok_list(lines);
  }
  if (name == "focused") {
    HWND focus = focused_window_of(session.dialog);
    return ok(std::to_string(focus ? GetDlgCtrlID(focus) : -1));
  }
  if (name == "key") {
    std::string key;
    command.words >> key;
    const UINT code = key == "escape" ? VK_ESCAPE : key == "enter" ? VK_RETURN : 0;
    HWND focus = focused_window_of(session.dialog);
    if (!code || !focus) return fail("no such key or no focus");
    post_key(focus, code);
    return ok();
  }
  if (name == "resize") {
    int width = 0, height = 0;
    command.words >> width >> height;
    // Asynchronous, so a busy program cannot block the automation.
    SetWindowPos(session.dialog, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    return ok();
  }
  if (name == "caption_icon") {
    int icon_id = 0;
    command.words >> icon_id;
    return ok(caption_shows_icon(session.dialog, command.rest(), icon_id) ? "1" : "0");
  }
  if (name == "box_icon" || name == "press" || name == "file_name") {
    std::string word;
    command.words >> word;
    HWND box = parse_hwnd(word);
    if (!IsWindow(box)) return fail("no such box");
    if (name == "box_icon") {
      BoxInfo info;
      if (!read_box(box, &info)) return fail("box does not answer");
      return ok(info.icon_control ? identify_box_icon(info.icon_control) : "none");
    }
    if (name == "press") {
      int id = 0;
      command.words >> id;
      HWND button = GetDlgItem(box, id);
      if (!button) return fail("no such button");
      post_click(button);
      return ok();
    }
    return set_file_dialog_name(box, command.rest()) ? ok() : fail("no file name field");
  }

  HWND target = control(session, command);
  if (!target) return fail("no such control");
  LRESULT result = 0;
  if (name == "click") {
    post_click(target);
    return ok();
  }
  if (name == "enabled") return ok(IsWindowEnabled(target) ? "1" : "0");
  if (name == "class") {
    char kind[64] = {};
    GetClassNameA(target, kind, sizeof kind);
    return ok(kind);
  }
  if (name == "rect") {
    RECT r = child_rect_in(session.dialog, target);
    return ok(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
              " " + std::to_string(r.bottom));
  }
  if (name == "text") {
    std::string text;
    return read_window_text(target, &text) ? ok(escape_line(text)) : fail("timeout");
  }
  if (name == "set_text") {
    const std::string text = command.rest();
    return send_with_timeout(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result)
               ? ok()
               : fail("timeout");
  }
  if (name == "focus") {
    return send_with_timeout(session.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE, &result)
               ? ok()
               : fail("timeout");
  }
  if (name == "progress") {
    LRESULT position = 0, low = 0, high = 0;
    if (!send_with_timeout(target, PBM_GETPOS, 0, 0, &position) ||
        !send_with_timeout(target, PBM_GETRANGE, TRUE, 0, &low) ||
        !send_with_timeout(target, PBM_GETRANGE, FALSE, 0, &high))
      return fail("timeout");
    return ok(std::to_string(position) + " " + std::to_string(low) + " " + std::to_string(high));
  }
  if (name == "list" || name == "combo") {
    std::vector<std::string> items;
    if (!(name == "list" ? read_list_box(target, &items) : read_combo_box(target, &items)))
      return fail("timeout");
    for (auto& item : items) item = escape_line(item);
    return ok_list(items);
  }
  if (name == "select") {
    int index = -1;
    command.words >> index;
    return send_with_timeout(target, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &result) && result == index
               ? ok()
               : fail("cannot select");
  }
  return fail("unknown command " + name);
}

}  // namespace

int main() {
  Session session;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Command command;
    command.words.str(line);
    command.words >> command.name;
    if (command.name.empty()) continue;
    if (command.name == "quit") break;
    std::cout << run(session, command) << std::endl;
  }
  return 0;
}
