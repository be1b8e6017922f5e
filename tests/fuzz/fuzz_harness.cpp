#include "tests/fuzz/fuzz_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/serial_port.h"

namespace {

constexpr std::int64_t kUsPerMs = 1000;

bool is_wire_event(const RecordedEvent& event) {
  return event.kind == TraceEventKind::written || event.kind == TraceEventKind::read;
}

}  // namespace

void fuzz_property_broken(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\nwire:\n%s", file, line, property,
               rig().line.transcript_text().c_str());
  std::abort();
}

std::uint8_t FuzzInput::byte() { return next_ < size_ ? data_[next_++] : 0; }

std::string FuzzInput::bytes(std::size_t count) {
  const std::size_t taken = std::min(count, size_ - next_);
  std::string text(reinterpret_cast<const char*>(data_ + next_), taken);
  next_ += taken;
  return text;
}

std::string FuzzInput::reply_record() {
  if (next_ >= size_) return std::string();
  return bytes(byte());
}

std::vector<const char*> command_texts(CommandKind kind) {
  std::vector<const char*> texts;
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.kind == kind) texts.push_back(entry.text);
  }
  return texts;
}

TransactionInput read_transaction_input(FuzzInput& input) {
  constexpr CommandKind kKinds[] = {CommandKind::query, CommandKind::order, CommandKind::log_transfer};
  TransactionInput run;
  run.kind = kKinds[input.byte() % 3];
  const std::vector<const char*> texts = command_texts(run.kind);
  run.command = texts[input.byte() % texts.size()];
  const int trouble = input.byte() % 8;
  run.trouble = trouble < 5 ? Trouble::none : static_cast<Trouble>(trouble - 4);
  run.moment = input.byte();
  if (run.kind == CommandKind::order && run.command.back() == ' ') run.command += input.bytes(input.byte());
  // A value from the command line or a dialog edit cannot hold a NUL: the
  // value ends at one.
  run.command.resize(std::strlen(run.command.c_str()));
  return run;
}

std::string transaction_input_bytes(CommandKind kind, std::size_t command_index, Trouble trouble, int moment,
                                    const std::string& value) {
  std::string bytes;
  bytes += static_cast<char>(kind);
  bytes += static_cast<char>(command_index);
  bytes += static_cast<char>(trouble == Trouble::none ? 0 : static_cast<int>(trouble) + 4);
  bytes += static_cast<char>(moment);
  const std::string text = command_texts(kind)[command_index];
  if (kind == CommandKind::order && text.back() == ' ') bytes += static_cast<char>(value.size()) + value;
  return bytes;
}

void arm_trouble(Trouble trouble, int moment) {
  switch (trouble) {
    case Trouble::none: break;
    case Trouble::write_refused: rig().line.fail_write_after(moment); break;
    case Trouble::read_refused: rig().line.fail_read_after(moment); break;
    case Trouble::cancel:
      rig().line.on_wait([moment] {
        if (rig().line.elapsed_us() >= read_bound_us(0) * moment) rig().cancel.request();
      });
      break;
  }
}

FuzzRig& rig() {
  static FuzzRig the_rig;
  return the_rig;
}

void rig_reset() {
  FuzzRig& r = rig();
  r.port.reset();
  r.line = FakeSerialLine();
  r.cancel.clear();
  r.events.clear();
  r.port = r.line.open(r.cancel);
}

void play_instrument_from(FuzzInput& input) {
  rig_reset();
  rig().line.attach_source([&input](std::size_t) { return input.reply_record(); });
}

std::string reply_records(const std::vector<std::string>& reads) {
  std::string records;
  for (const std::string& read : reads) {
    records += static_cast<char>(read.size());
    records += read;
  }
  return records;
}

std::vector<std::string> transcript_reads() {
  std::vector<std::string> reads;
  for (const FakeTransfer& transfer : rig().line.transcript()) {
    if (transfer.direction == FakeDirection::host_read) reads.push_back(transfer.bytes);
  }
  return reads;
}

std::int64_t read_bound_us(std::size_t n) {
  return static_cast<std::int64_t>(kLinkTimeoutMs) * static_cast<std::int64_t>(n + 1) * kUsPerMs;
}

long attention_bytes(std::size_t hand_back_source_bytes) {
  long count = 0;
  const FakeTransfer* previous = nullptr;
  for (const FakeTransfer& transfer : rig().line.transcript()) {
    const bool hands_back = previous && previous->direction == FakeDirection::host_read &&
                            hand_back_source_bytes > 0 && previous->requested == hand_back_source_bytes;
    if (transfer.direction == FakeDirection::host_write && transfer.bytes == "?" && !hands_back) ++count;
    previous = &transfer;
  }
  return count;
}

std::string framed_text(const std::string& read) {
  if (read.size() < 2) return std::string();
  const std::string between = read.substr(1, read.size() - 2);
  return between.substr(0, between.find('\0'));
}

ExchangeTraceSink record_trace() {
  rig().events.clear();
  return [](const TraceEvent& event) {
    if (event.kind == TraceEventKind::read_started) return;
    const std::string bytes = event.bytes ? std::string(event.bytes, event.count) : std::string();
    const bool failure_marker = event.kind == TraceEventKind::exchange_ended && !event.succeeded;
    rig().events.push_back({event.kind, bytes, event.succeeded, failure_marker});
  };
}

bool trace_matches_transcript(const std::vector<RecordedEvent>& events) {
  auto event = events.begin();
  for (const FakeTransfer& transfer : rig().line.transcript()) {
    if (transfer.cancelled) continue;
    event = std::find_if(event, events.end(), [](const RecordedEvent& e) { return is_wire_event(e) && e.succeeded; });
    const TraceEventKind kind =
        transfer.direction == FakeDirection::host_write ? TraceEventKind::written : TraceEventKind::read;
    if (event == events.end() || event->kind != kind || event->bytes != transfer.bytes) return false;
    ++event;
  }
  return std::none_of(event, events.end(), [](const RecordedEvent& e) { return is_wire_event(e) && e.succeeded; });
}

bool ends_with_a_read_or_a_refused_write(const std::vector<RecordedEvent>& events) {
  const auto last = std::find_if(events.rbegin(), events.rend(), is_wire_event);
  return last == events.rend() || last->kind == TraceEventKind::read || !last->succeeded;
}

long number_in(const std::string& text, std::size_t start, std::size_t end) {
  if (start >= text.size() || end <= start) return 0;
  return std::strtol(text.substr(start, end - start).c_str(), nullptr, 10);
}

std::string clock_display_of(const std::tm& time) {
  const int hour12 = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d  %02d:%02d %s", time.tm_mon + 1, time.tm_mday, time.tm_year % 100,
                hour12, time.tm_min, time.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::optional<CsvRecords> read_rfc4180(const std::string& text) {
  CsvRecords records;
  std::size_t at = 0;
  const std::size_t end = text.size();
  while (at < end) {
    std::vector<std::string>& record = records.emplace_back();
    for (;;) {
      std::string field;
      if (at < end && text[at] == '"') {
        for (++at;; ++at) {
          if (at >= end) return std::nullopt;  // never closed
          if (text[at] != '"') {
            field += text[at];
          } else if (at + 1 < end && text[at + 1] == '"') {
            field += text[++at];
          } else {
            ++at;
            break;
          }
        }
      } else {
        while (at < end && text[at] != ',' && text[at] != '"' && text[at] != '\r' && text[at] != '\n') {
          field += text[at++];
        }
      }
      record.push_back(field);
      if (at < end && text[at] == ',') {
        ++at;
        continue;
      }
      // A stray quote, a bare CR or LF, or a record not ended by CR LF.
      if (text.compare(at, 2, "\r\n") != 0) return std::nullopt;
      at += 2;
      break;
    }
  }
  return records;
}
