// Drives the running program's main dialog from outside, for the end-to-end
// tests and the scripts that drive a session (scripts/run, scripts/screenshots):
// a command loop on stdin and stdout, so that one automation process serves
// a whole test or session.
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
//   type <id> <text>              type the text into a control, one
//                                 character at a time
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
//   screen_rect <id> / box_rect <hwnd>
//                                 a control's or a box's rectangle on the
//                                 screen, for screenshots
//   resize <width> <height>       resize the window without waiting
//   drop_down <id>                drop a combo box down and close it again
//   watch <limit_ms> <interval_ms> box|text <id> <text>
//                                 send WM_NULL every interval until a box is
//                                 shown or the control shows the text (or the
//                                 limit): samples, slowest answer in ms,
//                                 samples found hung, sends unanswered, and
//                                 whether the end came before the limit
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

#include "answer_watch.h"
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
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

HWND parse_hwnd(const std::string& word) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(word.c_str(), nullptr, 0)));
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

std::string rect_text(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

// --- Commands on the main dialog as a whole ---------------------------------

std::string alive(Session& session, Command&) { return ok(IsWindow(session.dialog) ? "1" : "0"); }

std::string window_rect(Session& session, Command&) {
  RECT r{};
  GetWindowRect(session.dialog, &r);
  return ok(rect_text(r));
}

std::string post_close(Session& session, Command&) {
  return PostMessageA(session.dialog, WM_CLOSE, 0, 0) ? ok() : fail("post failed");
}

std::string boxes(Session& session, Command&) {
  std::vector<std::string> lines;
  for (HWND box : find_process_dialogs(session.process_id))
    lines.push_back(describe_box(box, session.dialog));
  return ok_list(lines);
}

std::string focused(Session& session, Command&) {
  HWND focus = focused_window_of(session.dialog);
  return ok(std::to_string(focus ? GetDlgCtrlID(focus) : -1));
}

std::string key(Session& session, Command& command) {
  std::string name;
  command.words >> name;
  const UINT code = name == "escape" ? VK_ESCAPE : name == "enter" ? VK_RETURN : 0;
  HWND focus = focused_window_of(session.dialog);
  if (!code || !focus) return fail("no such key or no focus");
  post_key(focus, code);
  return ok();
}

std::string resize(Session& session, Command& command) {
  int width = 0, height = 0;
  command.words >> width >> height;
  // Asynchronous, so that a busy program cannot block the automation.
  SetWindowPos(session.dialog, nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  return ok();
}

std::string caption_icon(Session& session, Command& command) {
  int icon_id = 0;
  command.words >> icon_id;
  return ok(caption_shows_icon(session.dialog, command.rest(), icon_id) ? "1" : "0");
}

std::string watch(Session& session, Command& command) {
  DWORD limit_ms = 0, interval_ms = 0;
  std::string until;
  int id = 0;
  command.words >> limit_ms >> interval_ms >> until;
  if (until == "text") command.words >> id;
  const std::string awaited = command.rest();
  HWND control = GetDlgItem(session.dialog, id);
  if (until != "box" && !(until == "text" && control)) return fail("watch until box or text <id> <text>");
  const AnswerWatch watch = watch_answers(session.dialog, limit_ms, interval_ms, [&] {
    if (until == "box") return !find_process_dialogs(session.process_id).empty();
    std::string shown;
    return read_window_text(control, &shown) && shown == awaited;
  });
  char slowest[32];
  std::snprintf(slowest, sizeof slowest, "%.1f", watch.slowest_ms);
  return ok(std::to_string(watch.samples) + " " + slowest + " " + std::to_string(watch.hung) + " " +
            std::to_string(watch.unanswered) + " " + (watch.ended ? "1" : "0"));
}

// --- Commands on a box or common dialog, named by its handle ----------------

HWND box_of(Command& command) {
  std::string word;
  command.words >> word;
  HWND box = parse_hwnd(word);
  return IsWindow(box) ? box : nullptr;
}

std::string box_icon(Session&, Command& command) {
  HWND box = box_of(command);
  BoxInfo info;
  if (!box || !read_box(box, &info)) return fail("no such box");
  return ok(info.icon_control ? identify_box_icon(info.icon_control) : "none");
}

std::string press(Session&, Command& command) {
  HWND box = box_of(command);
  int id = 0;
  command.words >> id;
  HWND button = box ? GetDlgItem(box, id) : nullptr;
  if (!button) return fail("no such box or button");
  post_click(button);
  return ok();
}

std::string box_rect(Session&, Command& command) {
  HWND box = box_of(command);
  RECT r{};
  return box && GetWindowRect(box, &r) ? ok(rect_text(r)) : fail("no such box");
}

std::string file_name(Session&, Command& command) {
  HWND box = box_of(command);
  return box && set_file_dialog_name(box, command.rest()) ? ok() : fail("no file name field");
}

// --- Commands on one control, named by its id (0: the dialog) --------------

std::string click(Session&, HWND control, Command&) {
  post_click(control);
  return ok();
}

std::string enabled(Session&, HWND control, Command&) { return ok(IsWindowEnabled(control) ? "1" : "0"); }

std::string class_of(Session&, HWND control, Command&) {
  char kind[64] = {};
  GetClassNameA(control, kind, sizeof kind);
  return ok(kind);
}

std::string rect(Session& session, HWND control, Command&) {
  return ok(rect_text(child_rect_in(session.dialog, control)));
}

std::string screen_rect(Session&, HWND control, Command&) {
  RECT r{};
  GetWindowRect(control, &r);
  return ok(rect_text(r));
}

std::string text(Session&, HWND control, Command&) {
  std::string value;
  return read_window_text(control, &value) ? ok(escape_line(value)) : fail("timeout");
}

std::string set_text(Session&, HWND control, Command& command) {
  const std::string value = command.rest();
  LRESULT done = 0;
  return send_with_timeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), &done)
             ? ok()
             : fail("timeout");
}

// Each character as a key press would bring it: an edit applies its typing
// limit and ES_NUMBER to WM_CHAR only, never to WM_SETTEXT.
std::string type_text(Session&, HWND control, Command& command) {
  LRESULT done = 0;
  for (char c : command.rest()) {
    if (!send_with_timeout(control, WM_CHAR, static_cast<unsigned char>(c), 1, &done)) return fail("timeout");
  }
  return ok();
}

std::string focus(Session& session, HWND control, Command&) {
  LRESULT done = 0;
  return send_with_timeout(session.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE, &done)
             ? ok()
             : fail("timeout");
}

std::string progress(Session&, HWND control, Command&) {
  LRESULT position = 0, low = 0, high = 0;
  if (!send_with_timeout(control, PBM_GETPOS, 0, 0, &position) ||
      !send_with_timeout(control, PBM_GETRANGE, TRUE, 0, &low) ||
      !send_with_timeout(control, PBM_GETRANGE, FALSE, 0, &high))
    return fail("timeout");
  return ok(std::to_string(position) + " " + std::to_string(low) + " " + std::to_string(high));
}

std::string items(bool (*read)(HWND, std::vector<std::string>*), HWND control) {
  std::vector<std::string> values;
  if (!read(control, &values)) return fail("timeout");
  for (auto& value : values) value = escape_line(value);
  return ok_list(values);
}

std::string list(Session&, HWND control, Command&) { return items(read_list_box, control); }
std::string combo(Session&, HWND control, Command&) { return items(read_combo_box, control); }

// The drop-down is what tells the program to look for new ports.
std::string drop_down(Session&, HWND control, Command&) {
  LRESULT done = 0;
  return send_with_timeout(control, CB_SHOWDROPDOWN, TRUE, 0, &done) &&
                 send_with_timeout(control, CB_SHOWDROPDOWN, FALSE, 0, &done)
             ? ok()
             : fail("timeout");
}

std::string select_item(Session&, HWND control, Command& command) {
  int index = -1;
  command.words >> index;
  LRESULT chosen = 0;
  return send_with_timeout(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &chosen) && chosen == index
             ? ok()
             : fail("cannot select");
}

struct DialogCommand {
  const char* name;
  std::string (*run)(Session&, Command&);
};

struct ControlCommand {
  const char* name;
  std::string (*run)(Session&, HWND control, Command&);
};

constexpr DialogCommand kDialogCommands[] = {
    {"alive", alive},   {"window_rect", window_rect},   {"close", post_close},
    {"boxes", boxes},   {"focused", focused},           {"key", key},
    {"resize", resize}, {"caption_icon", caption_icon}, {"box_icon", box_icon},
    {"press", press},   {"file_name", file_name},       {"watch", watch},
    {"box_rect", box_rect},
};

constexpr ControlCommand kControlCommands[] = {
    {"click", click}, {"enabled", enabled},   {"class", class_of},     {"rect", rect},
    {"text", text},   {"set_text", set_text}, {"focus", focus},        {"progress", progress},
    {"list", list},   {"combo", combo},       {"select", select_item}, {"drop_down", drop_down},
    {"type", type_text}, {"screen_rect", screen_rect},
};

std::string run(Session& session, Command& command) {
  if (command.name == "attach") return attach(session, command);
  if (!session.dialog) return fail("not attached");
  for (const DialogCommand& entry : kDialogCommands) {
    if (command.name == entry.name) return entry.run(session, command);
  }
  for (const ControlCommand& entry : kControlCommands) {
    if (command.name != entry.name) continue;
    int id = -1;
    command.words >> id;
    HWND target = id == 0 ? session.dialog : id > 0 ? GetDlgItem(session.dialog, id) : nullptr;
    return target ? entry.run(session, target, command) : fail("no such control");
  }
  return fail("unknown command " + command.name);
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
