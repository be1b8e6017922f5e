// The serial port seam with POSIX calls: a terminal device ("/dev/ttyUSB0",
// or a pseudo-terminal's slave such as "/dev/pts/3"; a name without "/" is
// taken as "/dev/<name>"), opened non-blocking, with the link time-outs
// built on poll.
//
// Open takes the device exclusively (an advisory lock and the terminal's
// exclusive flag), saves every terminal setting it finds and applies the
// instrument's line settings; close puts the saved settings back exactly.
// As on Windows, once the device is open and locked the open counts as
// done: a setting call that fails leaves the port as it is, and the
// exchanges on it report their own failures.
//
// termios cannot express the link time-outs (VMIN with VTIME waits for the
// first byte without limit; VTIME alone ends at the first byte), so VMIN and
// VTIME are 0 and every read and write waits in poll, in slices of at most
// kSerialWaitSliceMs, against deadlines on the monotonic clock (a clock
// change cannot stretch a time-out). After every slice, and after a signal
// interrupted it, the wait hook runs and a cancel ends the call with a
// failure; so a Ctrl-C handler or another thread that requests a cancel
// ends a waiting read within one slice.
//
// What it deliberately does not do: look for line ends or frames (the link
// above counts bytes), wait at a write until the bytes have left the wire
// (the kernel takes them; the reply cannot start before they are sent), or
// restore the modem lines at close (the driver does what the restored
// settings say, HUPCL included). A pseudo-terminal ignores the baud rate
// (it keeps it only to report it back) and always passes 8-bit characters
// without parity, whatever is set.

#include "link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <utility>


namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr speed_t kLineSpeed = B2400;
static_assert(kLinkBaudRate == 2400, "kLineSpeed names the link's baud rate");

std::string device_path(const std::string& port_name) {
  if (port_name.find('/') != std::string::npos) return port_name;
  return "/dev/" + port_name;
}

// A device that another program holds exclusively (TIOCEXCL) answers EBUSY,
// except to root.
PortOpenFailure open_failure_of(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return PortOpenFailure::not_found;
    case EBUSY: return PortOpenFailure::in_use;
    case EACCES:
    case EPERM: return PortOpenFailure::not_permitted;
    default: return PortOpenFailure::other;
  }
}

// Raw 2400 8N1 without flow control of any kind. CLOCAL, so that neither the
// open nor a read depends on the carrier line, which the instrument does not
// drive. VMIN and VTIME 0: the time-outs are poll's (see above).
void apply_line_settings(termios& settings) {
  cfmakeraw(&settings);
  settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, kLineSpeed);
  cfsetospeed(&settings, kLineSpeed);
}

// A pseudo-terminal has no modem lines and refuses with ENOTTY (some drivers
// with EINVAL); that is no error, as nothing listens to them there.
void raise_modem_lines(int port) {
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(port, TIOCMBIS, &lines);
}

// Every read and write of n bytes may take kLinkTimeoutMs * (n + 1) in all.
Clock::time_point call_deadline(Clock::time_point start, std::size_t count) {
  return start + milliseconds(kLinkTimeoutMs) * static_cast<milliseconds::rep>(count + 1);
}

// Rounded up, so that a wait never ends just before its deadline and then
// polls again with no time left.
int slice_ms_until(Clock::time_point deadline) {
  const milliseconds left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<milliseconds::rep>(left.count(), 0, kSerialWaitSliceMs));
}

enum class Wait { ready, quiet, failed, cancelled };

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort(int device, const termios& found, const CancelToken& cancel, SerialWaitHook wait_hook)
      : SerialPort(cancel, std::move(wait_hook)), device_(device), saved_settings_(found) {}

  // The exclusive flag stays on the terminal until its last close, and
  // another holder (the simulator keeps a pty's slave open) may keep it from
  // that: it is cleared here explicitly.
  ~PosixSerialPort() override {
    tcsetattr(device_, TCSANOW, &saved_settings_);
    ioctl(device_, TIOCNXCL);
    flock(device_, LOCK_UN);
    close(device_);
  }

  bool write(const char* bytes, std::size_t count) override {
    if (cancel_requested()) return false;
    const Clock::time_point deadline = call_deadline(Clock::now(), count);
    std::size_t written = 0;
    while (written < count) {
      const ssize_t put = ::write(device_, bytes + written, count - written);
      if (put > 0) {
        written += static_cast<std::size_t>(put);
        continue;
      }
      // EAGAIN: the output queue is full (flow control is off, so only a far
      // end that does not read, such as a pty master, keeps it full).
      if (put < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (Clock::now() >= deadline) return false;
      const Wait wait = wait_for_line(POLLOUT, deadline);
      if (wait == Wait::failed || wait == Wait::cancelled) return false;
    }
    return true;
  }

  int read(char* buffer, std::size_t count) override {
    if (cancel_requested()) return -1;
    const Clock::time_point total_deadline = call_deadline(Clock::now(), count);
    Clock::time_point deadline = total_deadline;
    std::size_t received = 0;
    while (received < count && Clock::now() < deadline) {
      const Wait wait = wait_for_line(POLLIN, deadline);
      if (wait == Wait::failed || wait == Wait::cancelled) return -1;
      if (wait == Wait::quiet) continue;
      // With VMIN and VTIME 0 an empty queue reads 0 (bytes that someone else
      // took after poll's answer); the next slice waits again.
      const ssize_t got = ::read(device_, buffer + received, count - received);
      if (got > 0) {
        received += static_cast<std::size_t>(got);
        deadline = std::min(total_deadline, Clock::now() + milliseconds(kLinkTimeoutMs));
      } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
        return -1;  // EIO: the device went away
      }
    }
    return static_cast<int>(received);
  }

  void discard_input() override { tcflush(device_, TCIFLUSH); }

 private:
  // Waits one slice at most for the line to be ready for events, then runs
  // the wait hook and looks for a cancel. A signal only shortens the slice.
  Wait wait_for_line(short events, Clock::time_point deadline) {
    const int slice_ms = slice_ms_until(deadline);
    pollfd line{device_, events, 0};
    const int polled = poll(&line, 1, slice_ms);
    if (polled < 0 && errno != EINTR) return Wait::failed;
    Wait result = Wait::quiet;
    if (polled > 0) {
      // A hangup (a USB adapter unplugged, a pty whose master closed) comes
      // with POLLERR and fails the call, as Windows fails a call on a removed
      // port.
      if (line.revents & (POLLERR | POLLNVAL)) return Wait::failed;
      if (line.revents & events) {
        result = Wait::ready;
      } else {
        // POLLHUP alone: the far end is gone but the terminal is not hung up
        // (a pty's slave for an instant between its master's close and the
        // hangup that follows). poll would report it again at once; sleeping
        // out the slice instead lets the call run into its time-out as on a
        // silent line, unless the hangup comes first and fails it. poll with
        // no descriptor sleeps and, like the one above, returns early for a
        // signal.
        poll(nullptr, 0, slice_ms);
      }
    }
    run_wait_hook();
    if (cancel_requested()) return Wait::cancelled;
    return result;
  }

  const int device_;
  const termios saved_settings_;
};

}  // namespace

SerialPortOpening open_serial_port(const std::string& port_name, const CancelToken& cancel,
                                   SerialWaitHook wait_hook) {
  // Non-blocking, so that neither the open waits for a carrier nor a read or
  // write blocks past poll's answer.
  const int device = open(device_path(port_name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (device < 0) return {nullptr, open_failure_of(errno)};
  // TIOCEXCL does not stop root (it may open an exclusive terminal all the
  // same), so our programs also take an advisory lock on the device. On
  // failure TIOCNXCL is not called: the exclusive flag, if set, belongs to
  // the program that holds the port.
  if (flock(device, LOCK_EX | LOCK_NB) != 0) {
    const PortOpenFailure failure = errno == EWOULDBLOCK ? PortOpenFailure::in_use : PortOpenFailure::other;
    close(device);
    return {nullptr, failure};
  }
  // Saved before anything changes; a device without terminal settings is
  // no serial port.
  termios found{};
  if (tcgetattr(device, &found) != 0) {
    close(device);  // drops the lock as well
    return {nullptr, PortOpenFailure::other};
  }
  ioctl(device, TIOCEXCL);
  termios settings = found;
  apply_line_settings(settings);
  tcsetattr(device, TCSANOW, &settings);
  raise_modem_lines(device);
  return {std::make_unique<PosixSerialPort>(device, found, cancel, std::move(wait_hook)), PortOpenFailure::other};
}
