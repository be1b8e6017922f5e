#include "tools/instrument_state_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

struct NamedValue {
  const char* name;
  std::string InstrumentState::*state_member;
  std::string InstrumentSettings::*settings_member;
};

constexpr NamedValue kNamedValues[] = {
    {"firmware_version", &InstrumentState::firmware_version, nullptr},
    {"clock", &InstrumentState::clock, nullptr},
    {"instrument_number", nullptr, &InstrumentSettings::instrument_number},
    {"user_id", nullptr, &InstrumentSettings::user_id},
    {"location_code", nullptr, &InstrumentSettings::location_code},
    {"access_level", nullptr, &InstrumentSettings::access_level},
    {"operating_mode", nullptr, &InstrumentSettings::operating_mode},
    {"alarm_setting", nullptr, &InstrumentSettings::alarm_setting},
    {"span_concentration", nullptr, &InstrumentSettings::span_concentration},
    {"response_factor", nullptr, &InstrumentSettings::response_factor},
    {"logging_interval", &InstrumentState::logging_interval, nullptr},
};

template <typename State>
auto& named_value(State& state, const NamedValue& named) {
  return named.state_member ? state.*named.state_member : state.settings.*named.settings_member;
}

const NamedValue* find_name(const std::string& name) {
  for (const NamedValue& named : kNamedValues) {
    if (name == named.name) return &named;
  }
  return nullptr;
}

std::string trimmed(const std::string& text) {
  const char* blanks = " \t";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// "name = value": false when the line has no "=".
bool split_setting(const std::string& line, std::string& name, std::string& value) {
  std::size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  name = trimmed(line.substr(0, equals));
  std::size_t value_start = equals + 1;
  if (value_start < line.size() && line[value_start] == ' ') ++value_start;
  value = line.substr(value_start);
  return true;
}

}  // namespace

bool parse_instrument_state(const std::string& text, InstrumentState& state, std::string& error) {
  state = default_instrument_state();
  std::istringstream lines(text);
  std::string line;
  int line_number = 0;
  bool in_log = false;
  while (std::getline(lines, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (in_log) {
      state.log_lines.push_back(line);
      continue;
    }
    if (line == kLogMarkerLine) {
      in_log = true;
      continue;
    }
    std::string content = trimmed(line);
    if (content.empty() || content[0] == '#') continue;
    std::string name, value;
    const NamedValue* named = split_setting(line, name, value) ? find_name(name) : nullptr;
    if (!named) {
      error = "line " + std::to_string(line_number) + ": expected \"name = value\" with a known name: " + line;
      return false;
    }
    named_value(state, *named) = value;
  }
  return true;
}

std::string format_instrument_state(const InstrumentState& state) {
  std::string text =
      "# 719K instrument state: settings as \"name = value\" (the value is\n"
      "# everything after \"= \"), then the data log verbatim after the marker,\n"
      "# one line as the instrument sends it, without the final EOT.\n";
  for (const NamedValue& named : kNamedValues) {
    text += std::string(named.name) + " = " + named_value(state, named) + "\n";
  }
  text += std::string(kLogMarkerLine) + "\n";
  for (const std::string& log_line : state.log_lines) text += log_line + "\n";
  return text;
}

bool load_instrument_state(const std::string& path, InstrumentState& state, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (!parse_instrument_state(text.str(), state, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool save_instrument_state(const std::string& path, const InstrumentState& state, std::string& error) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << format_instrument_state(state);
    if (!file.flush()) {
      error = "cannot write " + temporary;
      return false;
    }
  }
  // Windows will not rename over an existing file; there the old one goes
  // first, and a reader may for a moment find no file at all.
  if (std::rename(temporary.c_str(), path.c_str()) != 0 &&
      (std::remove(path.c_str()) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0)) {
    error = "cannot replace " + path;
    return false;
  }
  return true;
}
