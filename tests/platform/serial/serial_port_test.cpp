#include "platform/serial/serial_port.h"

#include "platform/serial/baud_rate.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "pty_pair.h"
#include "scratch_dir.h"

namespace velmora {
namespace {

using testing::PtyPair;
using testing::ScratchDir;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// Reads from the port until `count` bytes have come, the port reports removal or
// five seconds have passed.
Bytes ReadFromPort(Port& port, std::size_t count, bool* removed = nullptr) {
  Bytes out;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::uint8_t buf[256];
    const ReadResult r = port.Read(buf);
    out.insert(out.end(), buf, buf + r.count);
    if (r.removed) {
      if (removed) *removed = true;
      break;
    }
    if (r.count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return out;
}

TEST(SerialPort, CarriesEveryByteValueBothWaysRawAt115200) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialPort port;
  ASSERT_TRUE(port.Open(pty.slave_path(), 115200));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.Name(), pty.slave_path());

  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);  // CR, LF, XON, XOFF, 0 included
  ASSERT_TRUE(pty.WriteMaster(all));
  EXPECT_EQ(ReadFromPort(port, all.size()), all);

  EXPECT_EQ(port.Write(all), all.size());
  EXPECT_EQ(pty.ReadMaster(all.size()), all);

}

TEST(SerialPort, AppliesRaw8N1AtEveryStandardRate) {
  for (int baud : {9600, 57600, 115200, 230400, 460800, 921600}) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.slave_path(), baud)) << baud;
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), *StandardBaudRate(baud)) << baud;
    EXPECT_EQ(cfgetispeed(&tio), *StandardBaudRate(baud)) << baud;
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  }
}

TEST(SerialPort, RefusesWithAReason) {
  ScratchDir dir;
  dir.WriteFile("plain", "not a tty");
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  struct Case {
    std::string name;
    int baud;
    PortError expected;
  };
  const Case cases[] = {
      {"", 115200, PortError::kNoName},
      {(dir / "missing").string(), 115200, PortError::kNoSuchPort},
      {"ttyVelmoraMissing0", 115200, PortError::kNoSuchPort},  // bare name: /dev/ttyVelmoraMissing0
      {(dir / "plain").string(), 115200, PortError::kNotASerialPort},
      {pty.slave_path(), 12345, PortError::kUnsupportedBaud},
  };
  for (const Case& c : cases) {
    CSerialPort port;
    const OpenResult r = port.Open(c.name, c.baud);
    EXPECT_EQ(r.error, c.expected) << c.name << " -> " << DescribePortError(r.error);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Name(), "");
  }
  EXPECT_STREQ(DescribePortError(PortError::kNoSuchPort), "no such port");
}

TEST(SerialPort, RefusesASecondOpenAndKeepsTheFirst) {
  PtyPair first, second;
  ASSERT_TRUE(first.ok() && second.ok());
  CSerialPort port;
  ASSERT_TRUE(port.Open(first.slave_path(), 115200));
  EXPECT_EQ(port.Open(second.slave_path(), 115200).error, PortError::kAlreadyOpen);
  EXPECT_EQ(port.Name(), first.slave_path());
  ASSERT_TRUE(first.WriteMaster({0xA5, 0x06}));
  EXPECT_EQ(ReadFromPort(port, 2), (Bytes{0xA5, 0x06}));
}

TEST(SerialPort, SecondHolderOfTheSameDeviceIsBusy) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ScratchDir dir;
  const fs::path alias = dir / "by-id-alias";
  fs::create_symlink(pty.slave_path(), alias);

  CSerialPort holder;
  ASSERT_TRUE(holder.Open(pty.slave_path(), 115200));
  for (const std::string& name : {pty.slave_path(), alias.string()}) {
    CSerialPort other;
    const OpenResult r = other.Open(name, 115200);
    EXPECT_EQ(r.error, PortError::kBusy) << name;
    EXPECT_STREQ(DescribePortError(r.error),
                 "busy (held by another program, such as ModemManager or brltty)");
  }

  // Closing releases the device for the next holder.
  holder.Close();
  CSerialPort next;
  EXPECT_TRUE(next.Open(alias.string(), 115200));
}

TEST(SerialPort, APortAnotherProgramMarkedExclusiveIsBusyEvenForRoot) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  // Another program's way: TIOCEXCL, no lock.
  const int other = ::open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
  CSerialPort port;
  EXPECT_EQ(port.Open(pty.slave_path(), 115200).error, PortError::kBusy);

  ::ioctl(other, TIOCNXCL);
  ::close(other);
  EXPECT_TRUE(port.Open(pty.slave_path(), 115200));
}

// Runs `body` in a child process and returns its exit status.
template <typename Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(SerialPort, AnotherProcessIsRefusedWhileWeHoldThePort) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialPort holder;
  ASSERT_TRUE(holder.Open(pty.slave_path(), 115200));
  const int child_error = InChild([&] {
    CSerialPort port;
    return static_cast<int>(port.Open(pty.slave_path(), 115200).error);
  });
  EXPECT_EQ(child_error, static_cast<int>(PortError::kBusy));
}

TEST(SerialPort, WeAreRefusedWhileAnotherProcessHoldsThePort) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  int opened[2], release[2];
  ASSERT_EQ(::pipe(opened), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(release[1]);
    CSerialPort port;
    const char ok = port.Open(pty.slave_path(), 115200) ? 1 : 0;
    (void)!::write(opened[1], &ok, 1);
    char dummy;
    (void)!::read(release[0], &dummy, 1);  // returns when the parent closes its end
    ::_exit(0);
  }
  ::close(opened[1]);
  ::close(release[0]);
  char child_ok = 0;
  ASSERT_EQ(::read(opened[0], &child_ok, 1), 1);
  ASSERT_EQ(child_ok, 1);

  CSerialPort port;
  EXPECT_EQ(port.Open(pty.slave_path(), 115200).error, PortError::kBusy);

  ::close(release[1]);
  ::waitpid(pid, nullptr, 0);
  ::close(opened[0]);
  EXPECT_TRUE(port.Open(pty.slave_path(), 115200)) << "released when the other process ends";
}

TEST(SerialPort, PermissionDeniedNamesTheDialoutGroup) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  // Root may open anything, so the refusal is shown by a child that gives up root;
  // an ordinary user takes the permission away from their own pty.
  const int child_error = InChild([&] {
    if (::geteuid() == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 254;
    } else if (::chmod(pty.slave_path().c_str(), 0) != 0) {
      return 253;
    }
    CSerialPort port;
    return static_cast<int>(port.Open(pty.slave_path(), 115200).error);
  });
  if (child_error >= 253) GTEST_SKIP() << "cannot take the permission away here";
  EXPECT_EQ(child_error, static_cast<int>(PortError::kPermissionDenied));
  EXPECT_STREQ(DescribePortError(PortError::kPermissionDenied),
               "permission denied (join the dialout group and log in again)");
}

TEST(SerialPort, PurgesWhatArrivedBeforeTheOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_TRUE(pty.WriteMaster({'s', 't', 'a', 'l', 'e'}));
  CSerialPort port;
  ASSERT_TRUE(port.Open(pty.slave_path(), 115200));
  ASSERT_TRUE(pty.WriteMaster({'f', 'r', 'e', 's', 'h'}));
  EXPECT_EQ(ReadFromPort(port, 5), (Bytes{'f', 'r', 'e', 's', 'h'}));
}

TEST(SerialPort, PeerGoneIsReportedOnceAndNothingFollows) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialPort port;
  ASSERT_TRUE(port.Open(pty.slave_path(), 115200));
  ASSERT_TRUE(pty.WriteMaster({1, 2, 3}));
  EXPECT_EQ(ReadFromPort(port, 3), (Bytes{1, 2, 3}));
  pty.CloseMaster();  // hangs the slave up, as pulling an adapter out does

  bool removed = false;
  EXPECT_TRUE(ReadFromPort(port, 1, &removed).empty());
  EXPECT_TRUE(removed);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Name(), "");

  // From now on nothing: no second report, no bytes, no error to spin on.
  std::uint8_t buf[16];
  for (int i = 0; i < 100; ++i) {
    const ReadResult r = port.Read(buf);
    ASSERT_EQ(r.count, 0u);
    ASSERT_FALSE(r.removed) << "reported twice";
  }
  EXPECT_EQ(port.Write(Bytes{0xA5}), 0u);
}

TEST(SerialPort, WriteToAVanishedPeerFailsAndTheNextReadReportsTheRemoval) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialPort port;
  ASSERT_TRUE(port.Open(pty.slave_path(), 115200));
  pty.CloseMaster();
  EXPECT_EQ(port.Write(Bytes{0xA5, 0x06}), 0u);
  EXPECT_TRUE(port.IsOpen()) << "left open, so that the engine's next read hears of it";
  std::uint8_t buf[16];
  EXPECT_TRUE(port.Read(buf).removed);
  EXPECT_FALSE(port.Read(buf).removed);
  EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPort, StalledWriteGivesUpAfterItsTimeOut) {
  PtyPair pty;  // the master never reads, so the slave's output fills up
  ASSERT_TRUE(pty.ok());
  CSerialPort port;
  ASSERT_TRUE(port.Open(pty.slave_path(), 115200));
  const Bytes flood(1 << 20, 0x55);
  const std::size_t first = port.Write(flood);  // returns after the time-out
  EXPECT_GT(first, 0u);
  EXPECT_LT(first, flood.size());
  EXPECT_TRUE(port.IsOpen()) << "a full buffer is not a removal";
}

}  // namespace
}  // namespace velmora
