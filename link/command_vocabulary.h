#pragma once
// The instrument's command vocabulary: every command text exactly as it goes
// on the wire, in one read-only table.
//
// GET texts are sent by queries, SET texts (each ending in exactly one blank,
// the value following directly) and "DO RESET LOG" by orders, "GET LOG DATA"
// by the log transfer. Where a value sits in a response line is the
// instrument core's business, not the wire's.

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

struct CommandEntry {
  Command command;
  const char* text;
  CommandKind kind;
};

inline constexpr CommandEntry kCommandTable[] = {
    {Command::get_access_level, "GET ACCESS LEVEL", CommandKind::query},
    {Command::get_alarm_setting, "GET ALARM SETTING", CommandKind::query},
    {Command::get_instrument_number, "GET INSTRUMENT NUMBER", CommandKind::query},
    {Command::get_location_code, "GET LOCATION CODE", CommandKind::query},
    {Command::get_operating_mode, "GET OPERATING MODE", CommandKind::query},
    {Command::get_real_time, "GET REAL TIME", CommandKind::query},
    {Command::get_user_id, "GET USER ID", CommandKind::query},
    {Command::get_response_factor, "GET RESPONSE FACTOR", CommandKind::query},
    {Command::get_span_concentration, "GET SPAN CONCENTRATION", CommandKind::query},
    {Command::get_version_number, "GET VERSION NUMBER", CommandKind::query},
    {Command::get_logging_interval, "GET LOGGING INTERVAL", CommandKind::query},
    {Command::get_log_data, "GET LOG DATA", CommandKind::log_transfer},
    {Command::set_access_level, "SET ACCESS LEVEL ", CommandKind::order},
    {Command::set_alarm_setting, "SET ALARM SETTING ", CommandKind::order},
    {Command::set_instrument_number, "SET INSTRUMENT NUMBER ", CommandKind::order},
    {Command::set_location_code, "SET LOCATION CODE ", CommandKind::order},
    {Command::set_real_time, "SET REAL TIME ", CommandKind::order},
    {Command::set_user_id, "SET USER ID ", CommandKind::order},
    {Command::set_response_factor, "SET RESPONSE FACTOR ", CommandKind::order},
    {Command::set_span_concentration, "SET SPAN CONCENTRATION ", CommandKind::order},
    {Command::do_reset_log, "DO RESET LOG", CommandKind::order},
};

const CommandEntry& command_entry(Command command);
inline const char* command_text(Command command) { return command_entry(command).text; }
