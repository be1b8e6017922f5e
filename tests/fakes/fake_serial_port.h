#pragma once
// FakeSerialPort: the serial port seam (link/serial_port.h) for native tests.
// It connects the link to an InstrumentModel in the same process, keeps
// virtual time by the port's time-out rules, and records every byte that
// crosses in either direction, so tests assert exact transcripts and time
// bounds without waiting.
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
// Waiting: a call calls the wait hook at every multiple of
// kFakeWaitHookIntervalUs of virtual time that passes inside it, as if a
// window message arrived then, with fake_port_elapsed_us() reading that
// moment. A cancel requested by then (link/link_cancel.h) ends the call
// there with a failure: a write has put its bytes on the line all the same;
// a read loses the bytes that had arrived, and the rest of what it would
// have brought stays on the line for the next read, unless
// serial_port_discard_input throws it away.

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Port closed, nothing attached, no refusals or failures armed, no wait
// hook, no system ports, no cancel requested, transcript and clock cleared.
void fake_port_reset();
// Host writes go to the model, reads take its output. nullptr: nothing on the line.
void fake_port_attach(InstrumentModel* model);
void fake_port_attach_source(FakeReplySource source);
// Each read brings the next reply of the script (cut to the count asked
// for), and nothing once the script has run out.
void fake_port_attach_script(std::vector<std::string> replies);

// Installs a wait hook that runs action (what the program's hook would
// dispatch: a button press, the close box); nullptr removes it.
void fake_port_on_wait(std::function<void()> action);

// What list_serial_ports() answers: the ports the system lists, by name.
void fake_port_set_system_names(std::vector<std::string> names);
// How often serial_port_discard_input was called.
int fake_port_discard_count();

// Makes the next opens fail as for a port held by another program
// (PortOpenFailure::in_use).
void fake_port_refuse_open(bool refuse);
// The name of the last successful open ("" if none), and counts of calls.
std::string fake_port_opened_name();
int fake_port_open_count();
int fake_port_close_count();  // closes of an open port only

// Arms a failure that the platform reports: the write (read) after the next
// `calls` successful ones fails. -1 disarms.
void fake_port_fail_write_after(int calls);
void fake_port_fail_read_after(int calls);

std::int64_t fake_port_elapsed_us();
// The virtual time that n bytes take on the line.
std::int64_t fake_port_transmission_us(std::size_t byte_count);

const std::vector<FakeTransfer>& fake_port_transcript();
// Every host write as one element, in order.
std::vector<std::string> fake_port_host_writes();
// Every host write joined.
std::string fake_port_host_bytes();
// The count that each read asked for, in order.
std::vector<std::size_t> fake_port_read_requests();
// The transcript one call a line, control bytes escaped, for failure messages.
std::string fake_port_transcript_text();
