#pragma once
// The instrument's command vocabulary: every command text exactly as it goes
// on the wire, in one read-only table.
//
// GET texts are sent by queries, SET texts (each ending in exactly one blank,
// the value following directly) and "DO RESET LOG" by orders, "GET LOG DATA"
// by the log transfer. Each query's value position says where its caller's
// value begins in the response line; the characters before it carry a label
// that nobody examines.

enum class Command {
  get_access_level,
  get_alarm_setting,
  get_instrument_number,
  get_location_code,
  get_operating_mode,
  get_real_time,
  get_user_id,
  get_response_factor,
  get_span_concentration,
  get_version_number,
  get_logging_interval,
  get_log_data,
  set_access_level,
  set_alarm_setting,
  set_instrument_number,
  set_location_code,
  set_real_time,
  set_user_id,
  set_response_factor,
  set_span_concentration,
  do_reset_log,
};

enum class CommandKind { query, order, log_transfer };

inline constexpr int kNoValuePosition = -1;

struct CommandEntry {
  Command command;
  const char* text;
  CommandKind kind;
  int value_position;  // kNoValuePosition where no caller reads a value
};

inline constexpr CommandEntry kCommandTable[] = {
    {Command::get_access_level, "GET ACCESS LEVEL", CommandKind::query, 17},
    {Command::get_alarm_setting, "GET ALARM SETTING", CommandKind::query, 17},
    {Command::get_instrument_number, "GET INSTRUMENT NUMBER", CommandKind::query, 17},
    {Command::get_location_code, "GET LOCATION CODE", CommandKind::query, 17},
    {Command::get_operating_mode, "GET OPERATING MODE", CommandKind::query, 0},
    {Command::get_real_time, "GET REAL TIME", CommandKind::query, 17},
    {Command::get_user_id, "GET USER ID", CommandKind::query, 17},
    {Command::get_response_factor, "GET RESPONSE FACTOR", CommandKind::query, 17},
    {Command::get_span_concentration, "GET SPAN CONCENTRATION", CommandKind::query, 20},
    {Command::get_version_number, "GET VERSION NUMBER", CommandKind::query, 13},
    {Command::get_logging_interval, "GET LOGGING INTERVAL", CommandKind::query, kNoValuePosition},
    {Command::get_log_data, "GET LOG DATA", CommandKind::log_transfer, kNoValuePosition},
    {Command::set_access_level, "SET ACCESS LEVEL ", CommandKind::order, kNoValuePosition},
    {Command::set_alarm_setting, "SET ALARM SETTING ", CommandKind::order, kNoValuePosition},
    {Command::set_instrument_number, "SET INSTRUMENT NUMBER ", CommandKind::order, kNoValuePosition},
    {Command::set_location_code, "SET LOCATION CODE ", CommandKind::order, kNoValuePosition},
    {Command::set_real_time, "SET REAL TIME ", CommandKind::order, kNoValuePosition},
    {Command::set_user_id, "SET USER ID ", CommandKind::order, kNoValuePosition},
    {Command::set_response_factor, "SET RESPONSE FACTOR ", CommandKind::order, kNoValuePosition},
    {Command::set_span_concentration, "SET SPAN CONCENTRATION ", CommandKind::order, kNoValuePosition},
    {Command::do_reset_log, "DO RESET LOG", CommandKind::order, kNoValuePosition},
};

const CommandEntry& command_entry(Command command);
inline const char* command_text(Command command) { return command_entry(command).text; }
inline int value_position(Command command) { return command_entry(command).value_position; }
