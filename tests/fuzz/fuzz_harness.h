#pragma once
// What the fuzz targets and their seed generator share: the input encoding
// in which arbitrary bytes play the instrument through FakeSerialPort, the
// wire's bounds and what a transcript shows, a recording of the link's
// trace, and a strict RFC 4180 reader for the CSV round trip.
//
// Input encoding. A target first takes its own few leading bytes (what to
// run); after them every read of the port takes the next reply record:
//   one byte n, then n bytes: what that read brings, cut to the count the
//   read asked for (the rest of the record is lost, like bytes nobody read).
// Once the input has run out, every read brings nothing. So the input says,
// read by read, how many bytes come, none included, and which; the port's
// time-out rules turn that into virtual time.
//
// A broken property prints what broke and the transcript, then aborts, so
// that libFuzzer keeps the input as a crash.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/settings.h"
#include "link/cancel_token.h"
#include "link/command_vocabulary.h"
#include "link/exchange_trace.h"
#include "tests/fakes/fake_serial_port.h"

[[noreturn]] void fuzz_property_broken(const char* property, const char* file, int line);

// Variadic, so that a property may hold braces with commas.
#define FUZZ_CHECK(...) ((__VA_ARGS__) ? (void)0 : fuzz_property_broken(#__VA_ARGS__, __FILE__, __LINE__))

// The input, taken from the front. Past its end every byte is 0 and every
// record is empty.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte();
  std::string bytes(std::size_t count);
  std::string reply_record();
  bool used_up() const { return next_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

// The link's trace, recorded with its bytes copied.
struct RecordedEvent {
  TraceEventKind kind;
  std::string bytes;
  bool succeeded;
  bool failure_marker;  // exchange_ended of an exchange that failed
};

// What one input plays on: the fake line with the port open onto it, the
// cancel token that port watches, and the trace recorded. One per run of a
// target, made anew by play_instrument_from (or, to record replies of the
// model, by rig_reset).
struct FuzzRig {
  FakeSerialLine line;
  CancelToken cancel;
  std::unique_ptr<SerialPort> port;
  std::vector<RecordedEvent> events;
};
FuzzRig& rig();
// A fresh line with nothing attached and the port open onto it.
void rig_reset();

// Resets the rig and feeds every read from the input's reply records.
void play_instrument_from(FuzzInput& input);

// --- fuzz_transactions' leading bytes --------------------------------------
//   kind     byte % 3: a query, an order, the log transfer
//   command  byte % the kind's count: which of its texts, in kCommandTable order
//   trouble  byte % 8: 0 to 4 none; 5 the platform refuses the write after
//            `moment` successful ones, 6 the same for a read; 7 a cancel
//            once `moment` link time-outs (400 ms each) have passed
//   moment   byte
//   value    for an order with a SET text only: a length byte, then the
//            value, up to a NUL (the order text is a C string)

// Each setting's query and where its value begins in the response line,
// written out here again so that the targets check the core against a table
// of their own.
struct SettingQuery {
  Setting setting;
  const char* command;
  std::size_t value_position;
};
inline constexpr SettingQuery kSettingQueries[] = {
    {Setting::instrument_number, "GET INSTRUMENT NUMBER", 17}, {Setting::user_id, "GET USER ID", 17},
    {Setting::location_code, "GET LOCATION CODE", 17},         {Setting::access_level, "GET ACCESS LEVEL", 17},
    {Setting::operating_mode, "GET OPERATING MODE", 0},        {Setting::alarm_setting, "GET ALARM SETTING", 17},
    {Setting::span_concentration, "GET SPAN CONCENTRATION", 20}, {Setting::response_factor, "GET RESPONSE FACTOR", 17},
};

enum class Trouble { none, write_refused, read_refused, cancel };

struct TransactionInput {
  CommandKind kind = CommandKind::query;
  std::string command;  // an order's with its value
  Trouble trouble = Trouble::none;
  int moment = 0;
};

std::vector<const char*> command_texts(CommandKind kind);
TransactionInput read_transaction_input(FuzzInput& input);
std::string transaction_input_bytes(CommandKind kind, std::size_t command_index, Trouble trouble, int moment,
                                    const std::string& value);
// Arms the trouble on the rig's line (after play_instrument_from).
void arm_trouble(Trouble trouble, int moment);

// --- fuzz_readouts' leading bytes -------------------------------------------
//   readouts    bit 0 the firmware version, 1 the clock, 2 the settings,
//               3 the data log; none set: all of them. A readout is started
//               only while input is left (the one running when it runs out
//               goes on with a silent instrument).
//   resolution  bits 0-1 and 2-3: the printer's horizontal and vertical
//               resolution, each one of kFuzzResolutions
inline constexpr int kFuzzResolutions[] = {600, 300, 1200, 96};

// The reply records that bring these reads' bytes, one record a read.
std::string reply_records(const std::vector<std::string>& reads);
// What each read of the transcript brought, in order: a run recorded with
// the model replays through reply_records.
std::vector<std::string> transcript_reads();

// The longest that a read of n bytes may take: its total time-out.
std::int64_t read_bound_us(std::size_t n);

// The attention bytes in the transcript: writes of "?" alone, except those
// that hand back a text read by a read of hand_back_source_bytes (a response
// or log line may itself be "?"); 0 when nothing is handed back.
long attention_bytes(std::size_t hand_back_source_bytes);

// The text that a framed read brings: between its leading and trailing byte,
// up to a NUL; empty for fewer than two bytes.
std::string framed_text(const std::string& read);

// A sink that records into the rig's events, cleared first.
ExchangeTraceSink record_trace();

// True when the trace's successful writes and reads are exactly the
// transcript's calls that were not cancelled, in order and byte for byte.
bool trace_matches_transcript(const std::vector<RecordedEvent>& events);

// True when the last write or read of the trace is a read, or a write that
// failed: nothing went out after the call that decided the outcome.
bool ends_with_a_read_or_a_refused_write(const std::vector<RecordedEvent>& events);

// strtol (base 10) over the characters start to end of the text alone, as
// a long: the number that those columns hold.
long number_in(const std::string& text, std::size_t start, std::size_t end);

// "MM/DD/YY  HH:MM AM", the clock's display form, written out field by field
// for a record whose fields lie in their calendar ranges.
std::string clock_display_of(const std::tm& time);

// CSV under RFC 4180: every record ends with CR LF (the last one too);
// fields are separated by commas; a field is either quoted, with inner
// quotes doubled and anything else allowed inside, or holds no comma, quote,
// CR or LF. Other bytes are text: the log's bytes go out as the instrument
// sent them. Nothing when the text breaks a rule.
using CsvRecords = std::vector<std::vector<std::string>>;
std::optional<CsvRecords> read_rfc4180(const std::string& text);
