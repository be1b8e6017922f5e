#pragma once
// FakeSerialLine and FakeSerialPort: the serial port seam (link/serial_port.h)
// for native tests. A line connects ports to an InstrumentModel in the same
// process, keeps virtual time by the port's time-out rules, and records
// every byte that crosses in either direction, so tests assert exact
// transcripts and time bounds without waiting. The line outlives the ports
// opened onto it, so a test still reads the transcript after a close.
//
// Virtual time, at 2400 baud and 10 bits a byte (start, 8 data, stop):
//   a write of n bytes costs their transmission;
//   a read of n bytes that brings all n costs their transmission;
//   one that brings some but fewer costs their transmission plus the
//     inter-byte time-out (kLinkTimeoutMs) that ended it;
//   one that brings nothing costs the total time-out, kLinkTimeoutMs * (n + 1).
// The instrument's replies are ready at once: thinking time is not modelled.
//
// Instead of a model a test may attach a reply source that decides what each
// read brings (arbitrary bytes for the randomised tests). Nothing attached:
// nothing comes back, as with a port that has no cable.
//
// Waiting: a call runs the port's wait hook and the line's wait action at
// every multiple of kFakeWaitHookIntervalUs of virtual time that passes
// inside it, as if a window message arrived then, with elapsed_us() reading
// that moment. A cancel requested by then on the port's token ends the call
// there with a failure: a write has put its bytes on the line all the same;
// a read loses the bytes that had arrived, and the rest of what it would
// have brought stays on the line for the next read, unless discard_input
// throws it away.
//
// open_serial_port and list_serial_ports answer from a fake system: the
// lines that a test connected by name (fake_system_connect), reset by
// fake_system_reset. Each line and its ports belong to one thread at a time;
// lines share nothing, so two threads may each drive their own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "tools/instrument_model.h"

enum class FakeDirection { host_write, host_read };

struct FakeTransfer {
  FakeDirection direction;
  std::string bytes;          // what was written, or what the read brought
  std::size_t requested = 0;  // reads: the count asked for
  std::int64_t start_us = 0;  // virtual time when the call began
  bool cancelled = false;     // ended by a cancel; bytes: what had crossed by then
};

inline constexpr std::int64_t kFakeWaitHookIntervalUs = 50'000;

// Decides what a read of up to `requested` bytes brings (at most that many).
using FakeReplySource = std::function<std::string(std::size_t requested)>;

// The virtual time that n bytes take on the line.
std::int64_t fake_transmission_us(std::size_t byte_count);

class FakeSerialPort;

class FakeSerialLine {
 public:
  // Host writes go to the model, reads take its output. nullptr: nothing on the line.
  void attach(InstrumentModel* model);
  void attach_source(FakeReplySource source);
  // Each read brings the next reply of the script (cut to the count asked
  // for), and nothing once the script has run out.
  void attach_script(std::vector<std::string> replies);

  // What a test runs at each wait moment (a button press, the close box, a
  // cancel); nullptr removes it.
  void on_wait(std::function<void()> action) { wait_action_ = std::move(action); }

  // Makes the system's opens of this line fail as for a port held by
  // another program (PortOpenFailure::in_use).
  void refuse_open(bool refuse) { refuse_open_ = refuse; }
  bool refuses_open() const { return refuse_open_; }
  // Arms a failure that the platform reports: the write (read) after the
  // next `calls` successful ones fails. -1 disarms.
  void fail_write_after(int calls) { writes_until_failure_ = calls; }
  void fail_read_after(int calls) { reads_until_failure_ = calls; }

  // A port onto this line, as the system's open gives one.
  std::unique_ptr<SerialPort> open(const CancelToken& cancel, SerialWaitHook wait_hook = nullptr);

  bool port_open() const { return open_ports_ > 0; }
  int open_count() const { return open_count_; }
  int close_count() const { return close_count_; }
  int discard_count() const { return discard_count_; }

  std::int64_t elapsed_us() const;
  const std::vector<FakeTransfer>& transcript() const { return transcript_; }
  // Every host write as one element, in order.
  std::vector<std::string> host_writes() const;
  // Every host write joined.
  std::string host_bytes() const;
  // The count that each read asked for, in order.
  std::vector<std::size_t> read_requests() const;
  // The transcript one call a line, control bytes escaped, for failure messages.
  std::string transcript_text() const;

 private:
  friend class FakeSerialPort;

  bool call_refused(const FakeSerialPort& port, int& calls_until_failure);
  std::string new_bytes(std::size_t requested);
  std::string bytes_from_the_line(std::size_t requested);
  std::int64_t wait_through(const FakeSerialPort& port, std::int64_t start_us, std::int64_t end_us);
  void clock_to(std::int64_t moment_us);

  InstrumentModel* model_ = nullptr;
  FakeReplySource source_;
  std::function<void()> wait_action_;
  bool refuse_open_ = false;
  int writes_until_failure_ = -1;
  int reads_until_failure_ = -1;
  int open_ports_ = 0;
  int open_count_ = 0;
  int close_count_ = 0;
  int discard_count_ = 0;
  // Time is kept as waits plus bytes on the line, converted only when asked
  // for, so that byte times (4166.67 us each) do not round once per call.
  std::int64_t waited_us_ = 0;
  std::size_t bytes_on_line_ = 0;
  // During a wait moment: the moment it is at; -1 otherwise.
  std::int64_t hook_moment_us_ = -1;
  // Bytes on their way that a cancelled read did not take.
  std::string unread_;
  std::vector<FakeTransfer> transcript_;
};

// --- The fake system ---------------------------------------------------------
// No line connected, no port names listed.
void fake_system_reset();
// open_serial_port(name) opens a port onto the line; an unknown name is not found.
void fake_system_connect(const std::string& name, FakeSerialLine& line);
// What list_serial_ports() answers: the ports the system lists, by name.
void fake_system_set_port_names(std::vector<std::string> names);
// The name of the last successful open ("" if none).
std::string fake_system_opened_name();
