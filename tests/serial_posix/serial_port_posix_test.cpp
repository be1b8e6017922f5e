// The POSIX serial port on a pseudo-terminal of each test's own: the test
// plays the instrument on the master, opens the slave through the seam, and
// keeps a slave descriptor (so the master never reads EIO) to look at the
// settings, which start as the pty's cooked defaults: every test also shows
// that the port makes the line raw. Time bounds check rules, not speed: a
// call may end 10% early or kLateMs late, less than one more time-out.

#include "link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>


namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr long kLateMs = 300;

long ms_since(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<milliseconds>(Clock::now() - start).count());
}

void expect_about(long expected_ms, long elapsed_ms) {
  EXPECT_GE(elapsed_ms, expected_ms * 9 / 10);
  EXPECT_LT(elapsed_ms, expected_ms + kLateMs);
}

// Every field of the terminal's settings, in a form that gtest compares and prints.
auto every_field(const termios& s) {
  return std::make_tuple(s.c_iflag, s.c_oflag, s.c_cflag, s.c_lflag, s.c_line, cfgetispeed(&s), cfgetospeed(&s),
                         std::string(s.c_cc, s.c_cc + NCCS));
}

class SerialPortPosix : public testing::Test {
 protected:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    slave_path = ptsname(master);
    slave = open(slave_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(slave, 0);
  }
  void TearDown() override {
    port.reset();
    close(slave);
    if (master >= 0) close(master);
  }

  void open_port(SerialWaitHook wait_hook = nullptr) {
    port = open_serial_port(slave_path, cancel, std::move(wait_hook)).port;
    ASSERT_TRUE(port) << slave_path;
  }

  void put_on_line(const std::string& bytes) {
    ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(master, bytes.data(), bytes.size()));
  }

  // What the port sent: all that the master reads until quiet for quiet_ms.
  std::string taken_from_line(int quiet_ms) {
    std::string bytes;
    pollfd line{master, POLLIN, 0};
    char chunk[512];
    ssize_t got = 0;
    while (poll(&line, 1, quiet_ms) > 0 && (got = read(master, chunk, sizeof chunk)) > 0) {
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
  }

  int master = -1;
  int slave = -1;
  std::string slave_path;
  CancelToken cancel;
  std::unique_ptr<SerialPort> port;
};

// What happens at at_ms after a read starts: bytes come from the instrument,
// another thread requests a cancel, or the line hangs up (a USB adapter
// unplugged, here the master closed).
enum class What { bytes, cancel, hangup };
struct Event { int at_ms; What what; const char* bytes; };
Event bytes_at(int at_ms, const char* bytes) { return {at_ms, What::bytes, bytes}; }
Event cancel_at(int at_ms) { return {at_ms, What::cancel, nullptr}; }
Event hangup_at(int at_ms) { return {at_ms, What::hangup, nullptr}; }

struct ReadCase {
  const char* name;
  std::vector<Event> events;
  std::size_t requested;
  const char* expected;  // nullptr: the read fails
  long expected_ms;
};

void PrintTo(const ReadCase& read_case, std::ostream* out) { *out << read_case.name; }

class ReadTimeOuts : public SerialPortPosix, public testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTimeOuts, ReadEndsByTheRules) {
  const ReadCase& rule = GetParam();
  open_port();
  const Clock::time_point start = Clock::now();
  std::thread elsewhere([&] {
    for (const Event& event : rule.events) {
      std::this_thread::sleep_until(start + milliseconds(event.at_ms));
      if (event.what == What::bytes) put_on_line(event.bytes);
      if (event.what == What::cancel) cancel.request();
      if (event.what == What::hangup) close(std::exchange(master, -1));
    }
  });
  std::string buffer(rule.requested, '\0');
  const int received = port->read(&buffer[0], rule.requested);
  const long elapsed_ms = ms_since(start);
  elsewhere.join();
  if (rule.expected == nullptr) {
    EXPECT_EQ(-1, received);
  } else {
    ASSERT_GE(received, 0);
    EXPECT_EQ(rule.expected, buffer.substr(0, static_cast<std::size_t>(received)));
  }
  expect_about(rule.expected_ms, elapsed_ms);
}

INSTANTIATE_TEST_SUITE_P(
    SerialPortPosix, ReadTimeOuts,
    testing::Values(
        ReadCase{"EmptyReadWaitsTheTotalNotJustOneInterval", {}, 1, "", 800},
        ReadCase{"ShortReadEndsOneTimeOutAfterItsLastByte", {bytes_at(300, "abc")}, 10, "abc", 700},
        ReadCase{"PauseUnderTheTimeOutDoesNotEndTheRead", {bytes_at(100, "ab"), bytes_at(400, "cd")}, 10, "abcd", 800},
        ReadCase{"FullReadReturnsAsSoonAsItsBytesCome", {bytes_at(300, "wxyz")}, 4, "wxyz", 300},
        ReadCase{"TotalTimeOutEndsAReadStillReceiving", {bytes_at(1000, "a"), bytes_at(1350, "b")}, 2, "a", 1200},
        // 16.4 s in all; the cancel or hangup must end it within a slice.
        ReadCase{"CancelFromAnotherThreadEndsAWaitingRead", {cancel_at(200)}, 40, nullptr, 200},
        ReadCase{"HangupFailsAWaitingReadInsteadOfTimingOut", {hangup_at(200)}, 40, nullptr, 200}),
    [](const testing::TestParamInfo<ReadCase>& read_case) { return std::string(read_case.param.name); });

TEST_F(SerialPortPosix, EveryByteValuePassesUnchangedBothWaysWithoutEcho) {
  open_port();
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  put_on_line(bytes);
  std::string received(bytes.size(), '\0');
  EXPECT_EQ(static_cast<int>(bytes.size()), port->read(&received[0], received.size()));
  EXPECT_EQ(bytes, received);
  EXPECT_TRUE(port->write(bytes.data(), bytes.size()));
  EXPECT_EQ(bytes, taken_from_line(200));
}

TEST_F(SerialPortPosix, WriteToALineThatTakesNothingTimesOut) {
  open_port();
  // The pty passes output on to the master's side a little later, which
  // makes room again: the line is full once it stays full.
  char filler[4096] = {};
  for (int refused = 0; refused < 3; refused = write(slave, filler, sizeof filler) > 0 ? 0 : refused + 1) {
    std::this_thread::sleep_for(milliseconds(20));
  }
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(port->write("x", 1));
  expect_about(2 * kLinkTimeoutMs, ms_since(start));
}

TEST_F(SerialPortPosix, AfterACancelEveryCallFailsAtOnceUntilCleared) {
  open_port();
  cancel.request();
  char buffer[4];
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(-1, port->read(buffer, 1));
  EXPECT_LT(ms_since(start), kSerialWaitSliceMs * 4 / 5) << "the read waited before it looked for the cancel";
  EXPECT_FALSE(port->write("late", 4));
  EXPECT_EQ("", taken_from_line(100));

  cancel.clear();
  put_on_line("back");
  EXPECT_EQ(4, port->read(buffer, 4));
  EXPECT_EQ("back", std::string(buffer, 4));
}

TEST_F(SerialPortPosix, WaitingReadCallsTheWaitHookEverySlice) {
  int hook_calls = 0;
  open_port([&hook_calls] { ++hook_calls; });
  char byte = 0;
  EXPECT_EQ(0, port->read(&byte, 1));
  const int slices = 2 * kLinkTimeoutMs / kSerialWaitSliceMs;
  EXPECT_GE(hook_calls, slices * 3 / 4);
}

TEST_F(SerialPortPosix, OpenSetsRaw2400EightNoneOneAndClosingRestoresEverySettingFoundAtOpen) {
  // Cooked (the pty's defaults), and what no default has: 9600 baud, flow
  // control, two stop bits, odd VMIN and VTIME.
  termios before{};
  ASSERT_EQ(0, tcgetattr(slave, &before));
  before.c_iflag |= IXON | IXOFF;
  before.c_cflag = (before.c_cflag | CRTSCTS | CSTOPB) & ~CLOCAL;
  before.c_cc[VMIN] = 4;
  before.c_cc[VTIME] = 7;
  cfsetspeed(&before, B9600);
  ASSERT_EQ(0, tcsetattr(slave, TCSANOW, &before));
  ASSERT_EQ(0, tcgetattr(slave, &before));  // as the terminal keeps them

  open_port();
  termios line{};
  ASSERT_EQ(0, tcgetattr(slave, &line));
  EXPECT_EQ(static_cast<speed_t>(B2400), cfgetispeed(&line));
  EXPECT_EQ(static_cast<speed_t>(B2400), cfgetospeed(&line));
  EXPECT_EQ(0u, line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN));
  EXPECT_EQ(0u, line.c_oflag & OPOST);
  EXPECT_EQ(0u, line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
  EXPECT_EQ(static_cast<tcflag_t>(CS8 | CLOCAL | CREAD),
            line.c_cflag & (CSIZE | CLOCAL | CREAD | PARENB | CSTOPB | CRTSCTS));
  EXPECT_EQ(0, line.c_cc[VMIN] | line.c_cc[VTIME]);

  port.reset();
  termios after{};
  ASSERT_EQ(0, tcgetattr(slave, &after));
  EXPECT_EQ(every_field(before), every_field(after));
}

TEST_F(SerialPortPosix, PortIsExclusiveEvenForRootAndFreeAgainAfterClose) {
  // Another program's lock keeps the port out, and the port's lock keeps
  // others out: TIOCEXCL alone does not stop root.
  const int other = open(slave_path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(0, flock(other, LOCK_EX | LOCK_NB));
  const SerialPortOpening refused = open_serial_port(slave_path, cancel);
  EXPECT_FALSE(refused.port);
  EXPECT_EQ(PortOpenFailure::in_use, refused.failure);
  ASSERT_EQ(0, flock(other, LOCK_UN));
  open_port();
  EXPECT_NE(0, flock(other, LOCK_EX | LOCK_NB));

  // Programs that take no lock are kept out by the terminal's exclusive flag.
  int exclusive = 0;
  ASSERT_EQ(0, ioctl(slave, TIOCGEXCL, &exclusive));
  EXPECT_EQ(1, exclusive);
  port.reset();
  ASSERT_EQ(0, ioctl(slave, TIOCGEXCL, &exclusive));
  EXPECT_EQ(0, exclusive);
  EXPECT_EQ(0, flock(other, LOCK_EX | LOCK_NB));
  close(other);
  open_port();
}

TEST_F(SerialPortPosix, FailedOpenSaysWhy) {
  const std::pair<const char*, PortOpenFailure> cases[] = {
      {"/dev/set719k-no-such-port", PortOpenFailure::not_found},
      {"/dev/null", PortOpenFailure::other},  // not a terminal
      {"null", PortOpenFailure::other},       // taken as /dev/null, not as a file here
  };
  for (const auto& [name, failure] : cases) {
    SCOPED_TRACE(name);
    const SerialPortOpening opening = open_serial_port(name, cancel);
    EXPECT_FALSE(opening.port);
    EXPECT_EQ(failure, opening.failure);
  }
  open_port();
}

TEST_F(SerialPortPosix, DiscardInputThrowsAwayWhatCameAndWasNotRead) {
  open_port();
  put_on_line("stale");
  pollfd queued{slave, POLLIN, 0};  // the master's bytes reach the slave a little later
  ASSERT_EQ(1, poll(&queued, 1, 1000));
  port->discard_input();
  put_on_line("fresh");
  char buffer[5];
  EXPECT_EQ(5, port->read(buffer, sizeof buffer));
  EXPECT_EQ("fresh", std::string(buffer, sizeof buffer));
}

}  // namespace
