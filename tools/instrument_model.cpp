#include "tools/instrument_model.h"

#include <cstdio>
#include <cstring>

namespace {

enum class Field {
  firmware_version,
  clock,
  instrument_number,
  user_id,
  location_code,
  access_level,
  operating_mode,
  alarm_setting,
  span_concentration,
  response_factor,
  logging_interval,
};

// The model keeps its own vocabulary rather than the host's command table, so
// that a wrong text on the host's side shows up as an unanswered command.
struct FieldEntry {
  Field field;
  const char* get_text;
  const char* set_text;  // nullptr: no order changes the field
  const char* label;
  std::size_t value_position;
};

constexpr FieldEntry kFieldTable[] = {
    {Field::instrument_number, "GET INSTRUMENT NUMBER", "SET INSTRUMENT NUMBER ", "INSTRUMENT NO", 17},
    {Field::user_id, "GET USER ID", "SET USER ID ", "USER ID", 17},
    {Field::location_code, "GET LOCATION CODE", "SET LOCATION CODE ", "LOCATION CODE", 17},
    {Field::access_level, "GET ACCESS LEVEL", "SET ACCESS LEVEL ", "ACCESS LEVEL", 17},
    {Field::operating_mode, "GET OPERATING MODE", nullptr, "OPERATING MODE", 17},
    {Field::alarm_setting, "GET ALARM SETTING", "SET ALARM SETTING ", "ALARM SETTING", 17},
    {Field::span_concentration, "GET SPAN CONCENTRATION", "SET SPAN CONCENTRATION ",
     "SPAN CONCENTRATION", 20},
    {Field::response_factor, "GET RESPONSE FACTOR", "SET RESPONSE FACTOR ", "RESPONSE FACTOR", 17},
    {Field::firmware_version, "GET VERSION NUMBER", nullptr, "VERSION", 13},
    {Field::clock, "GET REAL TIME", "SET REAL TIME ", "REAL TIME", 17},
    {Field::logging_interval, "GET LOGGING INTERVAL", nullptr, "LOGGING INTERVAL", 17},
};

constexpr const char* kLogDataCommand = "GET LOG DATA";
constexpr const char* kResetLogCommand = "DO RESET LOG";
constexpr const char* kEndOfLogLine = "EOT";
constexpr std::size_t kResponseLineMax = 38;  // 40 bytes with the framing
constexpr std::size_t kLogLineMax = 98;       // 100 bytes with the framing

template <typename State>
auto& field_value(State& state, Field field) {
  switch (field) {
    case Field::firmware_version: return state.firmware_version;
    case Field::clock: return state.clock;
    case Field::instrument_number: return state.settings.instrument_number;
    case Field::user_id: return state.settings.user_id;
    case Field::location_code: return state.settings.location_code;
    case Field::access_level: return state.settings.access_level;
    case Field::operating_mode: return state.settings.operating_mode;
    case Field::alarm_setting: return state.settings.alarm_setting;
    case Field::span_concentration: return state.settings.span_concentration;
    case Field::response_factor: return state.settings.response_factor;
    case Field::logging_interval: return state.logging_interval;
  }
  return state.firmware_version;
}

const FieldEntry* find_get(const std::string& command_text) {
  for (const FieldEntry& entry : kFieldTable) {
    if (command_text == entry.get_text) return &entry;
  }
  return nullptr;
}

// The order whose SET text begins the command text; the value is the rest.
const FieldEntry* find_set(const std::string& command_text) {
  for (const FieldEntry& entry : kFieldTable) {
    if (entry.set_text && command_text.compare(0, std::strlen(entry.set_text), entry.set_text) == 0) {
      return &entry;
    }
  }
  return nullptr;
}

std::string framed(const std::string& text, std::size_t max_characters) {
  return kFrameStart + text.substr(0, max_characters) + kFrameEnd;
}

// Any character but the one it replaces.
char wrong_character(char right) { return right == '#' ? '*' : '#'; }

void send_order_closing(InstrumentModel& model) {
  model.stage = ModelStage::idle;
  InstrumentFaults& faults = model.faults;
  if (faults.drop_order_closing > 0) {
    --faults.drop_order_closing;
    return;
  }
  if (faults.nul_before_order_closing > 0) {
    --faults.nul_before_order_closing;
    model.output += '\0';
  }
  model.output += '!';
}

void send_response(InstrumentModel& model, std::string line) {
  model.stage = ModelStage::awaiting_hand_back;
  switch (model.faults.response_framing) {
    case ResponseFraming::normal: model.output += framed(line, kResponseLineMax); return;
    case ResponseFraming::forty_bytes:
      line.resize(kResponseLineMax, ' ');
      model.output += framed(line, kResponseLineMax);
      return;
    case ResponseFraming::one_byte: model.output += kFrameStart; return;
  }
}

// Sends the log line under the cursor, or "EOT" past the last one, unless the
// knob says the instrument has gone quiet by now.
void send_log_line(InstrumentModel& model) {
  InstrumentFaults& faults = model.faults;
  if (faults.silent_after_log_lines >= 0 && model.log_lines_acknowledged >= faults.silent_after_log_lines) {
    faults.silent_after_log_lines = -1;
    model.stage = ModelStage::mute;
    return;
  }
  const std::vector<std::string>& lines = model.state.log_lines;
  if (model.log_cursor < lines.size()) {
    model.output += framed(lines[model.log_cursor], kLogLineMax);
    model.stage = ModelStage::awaiting_log_hand_back;
  } else {
    model.output += framed(kEndOfLogLine, kLogLineMax);
    model.stage = ModelStage::idle;
  }
}

void answer_log_hand_back(InstrumentModel& model) {
  model.stage = ModelStage::awaiting_log_request;
  if (model.faults.refuse_log_line > 0) {
    --model.faults.refuse_log_line;
    model.output += kRefusalByte;
    model.log_line_acknowledged = false;
    return;
  }
  model.output += '!';
  model.log_line_acknowledged = true;
  ++model.log_lines_acknowledged;
}

void echo(InstrumentModel& model, const std::string& line) {
  std::string reply = kEchoLeadByte + line;
  if (model.faults.corrupt_echo > 0 && !line.empty()) {
    --model.faults.corrupt_echo;
    char& victim = reply[1 + line.size() / 2];
    victim = wrong_character(victim);
  }
  model.output += reply;
  model.pending_command = line;
  model.stage = ModelStage::awaiting_confirmation;
}

void perform(InstrumentModel& model, const std::string& command) {
  if (command == kLogDataCommand) {
    model.log_cursor = 0;
    model.log_line_acknowledged = false;
    model.log_lines_acknowledged = 0;
    send_log_line(model);
    return;
  }
  if (command == kResetLogCommand) {
    model.state.log_lines.clear();
    model.orders_performed.push_back(command);
    send_order_closing(model);
    return;
  }
  if (find_get(command)) {
    send_response(model, model.response_line(command));
    return;
  }
  if (const FieldEntry* entry = find_set(command)) {
    field_value(model.state, entry->field) = command.substr(std::strlen(entry->set_text));
    model.orders_performed.push_back(command);
    send_order_closing(model);
    return;
  }
  model.stage = ModelStage::idle;
}

void attention(InstrumentModel& model) {
  if (model.faults.ignore_attention > 0) {
    --model.faults.ignore_attention;
    model.stage = ModelStage::idle;
    return;
  }
  model.output += '!';
  model.stage = ModelStage::awaiting_command;
}

void react(InstrumentModel& model, const std::string& line) {
  if (model.faults.silent) return;
  // A text that is due back is taken as that text whatever it holds: a
  // response or log line may itself be "?" or "!".
  if (model.stage == ModelStage::awaiting_hand_back) {
    model.stage = ModelStage::idle;
    model.output += '!';
    return;
  }
  if (model.stage == ModelStage::awaiting_log_hand_back) {
    answer_log_hand_back(model);
    return;
  }
  if (line == "?") {
    attention(model);
    return;
  }
  switch (model.stage) {
    case ModelStage::awaiting_command: echo(model, line); return;
    case ModelStage::awaiting_confirmation:
      if (line == "!") {
        perform(model, model.pending_command);
      } else {
        model.stage = ModelStage::idle;
      }
      return;
    case ModelStage::awaiting_log_request:
      if (line == "!") {
        if (model.log_line_acknowledged) ++model.log_cursor;
        model.log_line_acknowledged = false;
        send_log_line(model);
      } else {
        model.stage = ModelStage::idle;
      }
      return;
    case ModelStage::idle:
    case ModelStage::mute:
    case ModelStage::awaiting_hand_back:
    case ModelStage::awaiting_log_hand_back: return;
  }
}

}  // namespace

void InstrumentModel::receive(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] != '\r') {
      partial_line += bytes[i];
      continue;
    }
    std::string line;
    line.swap(partial_line);
    react(*this, line);
  }
}

std::string InstrumentModel::take_output(std::size_t max_bytes) {
  std::string taken = output.substr(0, max_bytes);
  output.erase(0, taken.size());
  return taken;
}

std::string InstrumentModel::response_line(const std::string& command_text) const {
  const FieldEntry* entry = find_get(command_text);
  if (!entry) return std::string();
  std::string line = entry->label;
  line.resize(entry->value_position, '.');
  return line + field_value(state, entry->field);
}

std::string escaped_wire_text(const std::string& bytes) {
  std::string escaped;
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\\' || c == '"') {
      escaped += '\\';
      escaped += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

InstrumentState default_instrument_state() {
  InstrumentState state;
  state.firmware_version = "3.1";
  state.clock = "05/23/08 1432";
  state.settings = {"000123", "000000042", "000017", "2", "M1", "0050", "0100", "1.00"};
  state.logging_interval = "60";
  return state;
}
