// instrument-sim: serves the instrument model on a pseudo-terminal, so that
// the Windows program under Wine (COM1 mapped to the pty's slave) talks to a
// simulated 719K as to the real one.
//
// How it works: one loop waits on the pty master; host bytes go into the
// model byte by byte, its replies go back at once or, with --paced, one byte
// per 2400-baud character time. After every order that changes the
// instrument, the state is written back (--save-state, by default the --state
// file) so that tests can see what the program did. SIGTERM and SIGINT end
// the loop cleanly.
//
// What it does not do: baud rate or line settings (a pty ignores them), or
// more than one host at a time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/instrument_model.h"
#include "tools/instrument_state_file.h"
#include "tools/sim_options.h"

namespace {

constexpr std::int64_t kNsPerCharacter = 10LL * 1000000000LL / 2400;  // 10 bits at 2400 baud
constexpr std::int64_t kRetryWriteNs = 20000000;  // when the slave's queue is full
constexpr std::size_t kReadChunkBytes = 256;

volatile sig_atomic_t stop_requested = 0;

void request_stop(int) { stop_requested = 1; }

std::int64_t now_ns() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct Pty {
  int master = -1;
  int slave = -1;
  std::string slave_path;
};

// Opens a pty whose slave stays open here: without a slave holder the master
// reads EIO whenever the program closes its port, and the loop would spin.
// The slave is made raw so that the line discipline neither echoes the
// program's bytes back nor turns "\r" into "\n".
bool open_pty(Pty& pty, std::string& error) {
  pty.master = posix_openpt(O_RDWR | O_NOCTTY);
  if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  pty.slave_path = ptsname(pty.master);
  pty.slave = open(pty.slave_path.c_str(), O_RDWR | O_NOCTTY);
  termios settings{};
  if (pty.slave < 0 || tcgetattr(pty.slave, &settings) != 0) {
    error = "cannot open " + pty.slave_path + ": " + std::strerror(errno);
    return false;
  }
  cfmakeraw(&settings);
  tcsetattr(pty.slave, TCSANOW, &settings);
  fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
  return true;
}

struct Server {
  SimOptions options;
  InstrumentModel model;
  Pty pty;
  std::ofstream transcript;
  std::string host_line;            // host bytes since the last "\r", for the transcript
  std::int64_t next_byte_ns = 0;    // paced: when the next reply byte may go
};

void note(Server& server, const char* who, const std::string& bytes) {
  if (!server.transcript.is_open()) return;
  server.transcript << who << " \"" << escaped_wire_text(bytes) << "\"\n";
  server.transcript.flush();
}

void save_state(const Server& server) {
  if (server.options.save_path.empty()) return;
  std::string error;
  if (!save_instrument_state(server.options.save_path, server.model.state, error)) {
    std::fprintf(stderr, "instrument-sim: %s\n", error.c_str());
  }
}

// Feeds host bytes to the model; each complete host text and the reply it
// caused make one transcript line each.
void take_host_bytes(Server& server, const char* bytes, std::size_t count) {
  const std::size_t orders_before = server.model.orders_performed.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t output_before = server.model.pending_output();
    server.model.receive(bytes + i, 1);
    server.host_line += bytes[i];
    if (bytes[i] != '\r') continue;
    note(server, "host", server.host_line);
    server.host_line.clear();
    if (server.model.pending_output() > output_before) {
      note(server, "inst", server.model.output.substr(output_before));
    }
  }
  if (server.model.orders_performed.size() != orders_before) save_state(server);
}

// Writes what may go now; the rest stays queued in the model.
void send_replies(Server& server) {
  std::size_t allowed = server.model.pending_output();
  if (server.options.paced) {
    const std::int64_t now = now_ns();
    if (server.next_byte_ns < now - kNsPerCharacter) server.next_byte_ns = now;  // the line was idle
    // One byte at a time, and none when nothing is queued: a write of one
    // byte from an empty queue would put its terminating NUL on the line.
    allowed = now < server.next_byte_ns ? 0 : std::min<std::size_t>(allowed, 1);
  }
  if (allowed == 0) return;
  ssize_t written = write(server.pty.master, server.model.output.data(), allowed);
  if (written <= 0) return;  // the slave's queue is full: try again later
  server.model.take_output(static_cast<std::size_t>(written));
  server.next_byte_ns += kNsPerCharacter * written;
}

// How long to wait: until the next paced byte is due, a short while when the
// slave's queue was full, or (nullptr) until the host sends something.
const timespec* wait_time(const Server& server, timespec& wait) {
  if (server.model.pending_output() == 0) return nullptr;
  std::int64_t wait_ns = kRetryWriteNs;
  if (server.options.paced) wait_ns = std::max<std::int64_t>(0, server.next_byte_ns - now_ns());
  wait.tv_sec = static_cast<time_t>(wait_ns / 1000000000LL);
  wait.tv_nsec = static_cast<long>(wait_ns % 1000000000LL);
  return &wait;
}

// The stop signals are blocked except inside ppoll, so one that comes while
// a reply is being handled still ends the wait that follows.
int serve(Server& server, const sigset_t& wait_mask) {
  char chunk[kReadChunkBytes];
  while (!stop_requested) {
    pollfd master{server.pty.master, POLLIN, 0};
    timespec wait{};
    int ready = ppoll(&master, 1, wait_time(server, wait), &wait_mask);
    if (ready < 0 && errno != EINTR) {
      std::perror("instrument-sim: poll");
      return 1;
    }
    if (ready > 0 && (master.revents & POLLIN)) {
      ssize_t count = read(server.pty.master, chunk, sizeof chunk);
      if (count > 0) take_host_bytes(server, chunk, static_cast<std::size_t>(count));
    }
    send_replies(server);
  }
  return 0;
}

// Returns the signal mask to wait with (the stop signals let through).
sigset_t install_stop_handlers() {
  sigset_t stop_signals, wait_mask;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigprocmask(SIG_BLOCK, &stop_signals, &wait_mask);
  sigdelset(&wait_mask, SIGTERM);
  sigdelset(&wait_mask, SIGINT);
  struct sigaction action{};
  action.sa_handler = request_stop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: poll must return at once
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return wait_mask;
}

}  // namespace

int main(int argc, char** argv) {
  Server server;
  std::string error;
  if (!parse_sim_options(argc, argv, server.options, error)) {
    std::fprintf(stderr, "instrument-sim: %s\n%s", error.c_str(), sim_usage());
    return 2;
  }
  if (server.options.help) {
    std::fputs(sim_usage(), stdout);
    return 0;
  }
  const std::string state_path =
      server.options.state_path.empty() ? SET719K_SAMPLE_STATE : server.options.state_path;
  if (!load_instrument_state(state_path, server.model.state, error)) {
    std::fprintf(stderr, "instrument-sim: %s\n", error.c_str());
    return 1;
  }
  server.model.faults = server.options.faults;
  if (!server.options.transcript_path.empty()) {
    server.transcript.open(server.options.transcript_path, std::ios::trunc);
    if (!server.transcript) {
      std::fprintf(stderr, "instrument-sim: cannot write %s\n", server.options.transcript_path.c_str());
      return 1;
    }
  }
  const sigset_t wait_mask = install_stop_handlers();
  if (!open_pty(server.pty, error)) {
    std::fprintf(stderr, "instrument-sim: %s\n", error.c_str());
    return 1;
  }
  const std::string& link = server.options.link_path;
  if (!link.empty()) {
    unlink(link.c_str());
    if (symlink(server.pty.slave_path.c_str(), link.c_str()) != 0) {
      std::fprintf(stderr, "instrument-sim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
      return 1;
    }
  }
  std::printf("%s\n", server.pty.slave_path.c_str());
  std::fflush(stdout);
  int status = serve(server, wait_mask);
  if (!link.empty()) unlink(link.c_str());
  return status;
}
