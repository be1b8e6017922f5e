#pragma once
// InstrumentModel: the 719K instrument's side of the serial protocol, played
// in memory for the unit tests (through FakeSerialPort) and for the simulator
// (on a pseudo-terminal).
//
// The host's bytes go in through receive(); the model reacts to each complete
// line (bytes up to "\r") and queues its replies, which the port takes out
// with take_output(). One conversation at a time, as the instrument has:
//   "?"              -> "!" (attention; from any state except while a handed-
//                       back text is due, it abandons what was going on)
//   command line     -> echo: kEchoLeadByte, then the line as received
//   "!" after echo   -> a query's response, framed kFrameStart line kFrameEnd;
//                       an order is performed, then "!"; "GET LOG DATA" sends
//                       the first log line, framed the same way
//   handed-back text -> "!" (a query's response; a log line unless refused)
//   "!" in a transfer-> the next log line (or the same one after a refusal),
//                       "EOT" after the last one
// Anything else is not answered. Unknown commands are echoed but never
// performed: their confirmation gets no reply.
//
// Response lines: a label padded with dots up to the command's value
// position, then the value, e.g. for "GET USER ID" (value at 17):
//   "USER ID..........000000042"
// "GET SPAN CONCENTRATION" puts its value at 20, "GET VERSION NUMBER" at 13
// ("VERSION......3.1"), "GET REAL TIME" at 17 ("REAL TIME........05/23/08
// 1432", 30 characters). "GET OPERATING MODE" is read whole by the host; the
// instrument sends "OPERATING MODE...M1", the mode at 17 as in the log's mode
// lines. The instrument never sends more than the host's reads hold: a
// response line is cut to 38 characters and a log line to 98, so a long value
// set by an order comes back cut, and nothing is left over for the next read.
//
// What the model does not do: time. Pacing at 2400 baud and the host's
// time-outs are the port's business (FakeSerialPort keeps virtual time, the
// simulator can pace real time).

#include <cstddef>
#include <string>
#include <vector>

// The bytes the model frames its texts with. None is "\r": the host hands a
// response's trailing byte back in front of its own "\r", and the model splits
// the host's bytes into lines at "\r".
inline constexpr char kEchoLeadByte = '\n';
inline constexpr char kFrameStart = '\x02';  // STX
inline constexpr char kFrameEnd = '\x03';    // ETX
// The model's answer to a handed-back log line that it refuses.
inline constexpr char kRefusalByte = '\x15';  // NAK

struct InstrumentSettings {
  std::string instrument_number, user_id, location_code, access_level, operating_mode,
      alarm_setting, span_concentration, response_factor;
};

struct InstrumentState {
  std::string firmware_version;
  std::string clock;  // "MM/DD/YY HHMM" as last set
  InstrumentSettings settings;
  std::string logging_interval;
  std::vector<std::string> log_lines;  // as sent on the wire, without the final "EOT"
};

enum class ResponseFraming {
  normal,
  forty_bytes,  // every response padded or cut so that exactly 40 bytes go out
  one_byte,     // only the leading byte of every response goes out
};

// Fault knobs. Counters count down as they are used; all off by default.
struct InstrumentFaults {
  bool silent = false;             // reads everything, answers nothing
  int ignore_attention = 0;        // the next K "?" get no reply
  int corrupt_echo = 0;            // the next K echoes have one wrong character
  int nul_before_order_closing = 0;  // the next K orders send a NUL before their "!"
  int drop_order_closing = 0;      // the next K orders are performed but never answered
  int refuse_log_line = 0;         // the next K handed-back log lines get kRefusalByte,
                                   // and the same line is sent on the next request
  int silent_after_log_lines = -1;  // -1 off; else after N acknowledged log lines the
                                    // model answers nothing until the next "?"
  ResponseFraming response_framing = ResponseFraming::normal;
};

enum class ModelStage {
  idle,               // waiting for "?"
  awaiting_command,   // "!" sent for the attention byte
  awaiting_confirmation,  // command echoed, waiting for the host's "!"
  awaiting_hand_back,     // response sent, waiting for it to come back
  awaiting_log_hand_back,  // log line sent, waiting for it to come back
  awaiting_log_request,    // log line answered, waiting for "!"
  mute,               // fell silent in a transfer; only "?" wakes it
};

struct InstrumentModel {
  InstrumentState state;
  InstrumentFaults faults;

  // Every order performed, as its command text (SET text and value, or
  // "DO RESET LOG"), in order.
  std::vector<std::string> orders_performed;

  void receive(const char* bytes, std::size_t count);
  std::size_t pending_output() const { return output.size(); }
  std::string take_output(std::size_t max_bytes);

  // The response line the model sends for a GET text, without framing; empty
  // for texts it does not know.
  std::string response_line(const std::string& command_text) const;

  // Conversation state, exposed for tests and the simulator's transcript.
  ModelStage stage = ModelStage::idle;
  std::string partial_line;  // host bytes since the last "\r"
  std::string pending_command;
  std::size_t log_cursor = 0;     // the log line being transferred
  bool log_line_acknowledged = false;
  int log_lines_acknowledged = 0;
  std::string output;  // replies not yet taken by the port
};

// The bytes as readable text for transcripts: "\r", "\n", "\\", "\"" and
// "\xNN" for other control and non-ASCII bytes.
std::string escaped_wire_text(const std::string& bytes);

// A realistic instrument for tests that need one: firmware 3.1, clock
// 05/23/08 1432, plausible settings, empty log.
InstrumentState default_instrument_state();
