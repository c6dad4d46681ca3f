#include "platform/serial/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/serial/baud_rate.h"
#include "platform/serial/port_name.h"

namespace velmora {
namespace {

// Linux's device numbers for pseudo-terminal slaves (UNIX98_PTY_SLAVE_MAJOR and
// the seven majors after it).
constexpr unsigned int kUnix98PtySlaveMajorFirst = 136;
constexpr unsigned int kUnix98PtySlaveMajorLast = 143;

PortError ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
      return PortError::kNoSuchPort;
    case EACCES:
    case EPERM:
    case EROFS:
      return PortError::kPermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return PortError::kBusy;
    case ENOTTY:
    case EISDIR:
      return PortError::kNotASerialPort;
    default:
      return PortError::kOther;
  }
}

OpenResult Failure(int err) { return {ErrorFromErrno(err), err}; }

// The errors a read or write gives once the device behind the descriptor is gone.
bool MeansRemoved(int err) { return err == EIO || err == ENXIO || err == ENODEV; }

// Raw 8N1, no flow control, no character translation; reads never wait (VMIN 0,
// VTIME 0). Flow control is switched off rather than inherited: on Linux the
// inherited setting is whatever the last program left behind, and a stray
// CRTSCTS stalls every write on a line whose device does not drive CTS.
bool ApplyLineSettings(int fd, speed_t speed) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
  return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// USB adapters (FTDI above all) hold received bytes up to 16 ms before they pass
// them on; low-latency mode asks the driver to pass them on at once. Drivers
// without the request (ptys, some adapters) refuse it, which is fine.
void RequestLowLatency(int fd) {
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return;
  if (info.flags & ASYNC_LOW_LATENCY) return;
  info.flags |= ASYNC_LOW_LATENCY;
  (void)::ioctl(fd, TIOCSSERIAL, &info);
}

// Programs that take no lock (ModemManager, for one) mark the tty exclusive
// instead. Root passes that mark at open, so look at it, too.
bool HeldExclusivelyByAnother(int fd) {
#ifdef TIOCGEXCL
  int exclusive = 0;
  return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
  (void)fd;
  return false;
#endif
}

// The exclusive mark of a pseudo-terminal outlives a holder that died without
// clearing it for as long as the other end stays open (an emulator, say), and
// would then keep everyone out. A pseudo-terminal therefore gets the lock only,
// which dies with its holder.
bool IsPseudoTerminal(int fd) {
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned int dev_major = major(st.st_rdev);
  return dev_major >= kUnix98PtySlaveMajorFirst && dev_major <= kUnix98PtySlaveMajorLast;
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

CSerialPort::CSerialPort() : wake_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CSerialPort::~CSerialPort() {
  Close();
  if (wake_fd_ >= 0) ::close(wake_fd_);
}

OpenResult CSerialPort::Open(const std::string& name, int baud) {
  std::lock_guard lock(io_mutex_);
  if (open_.load()) return {PortError::kAlreadyOpen, 0};
  if (name.empty()) return {PortError::kNoName, 0};
  const std::optional<speed_t> speed = StandardBaudRate(baud);
  if (!speed) return {PortError::kUnsupportedBaud, EINVAL};

  // Lock the device itself, not the name it was reached by.
  const std::string path = PortDevicePath(name);
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return Failure(errno);

  const int fd = ::open(resolved.get(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Failure(errno);
  auto fail = [fd](int err) {
    ::close(fd);
    return Failure(err);
  };
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno);
  if (!::isatty(fd)) return fail(ENOTTY);
  if (HeldExclusivelyByAnother(fd)) return fail(EBUSY);
  if (!ApplyLineSettings(fd, *speed)) {
    const int err = errno;
    ::close(fd);
    return {PortError::kNotASerialPort, err};
  }
  const bool marked = !IsPseudoTerminal(fd) && ::ioctl(fd, TIOCEXCL) == 0;
  RequestLowLatency(fd);
  if (::tcflush(fd, TCIOFLUSH) != 0) return fail(errno);

  // A wake-up left over from an earlier Close must not cut the next write short.
  std::uint64_t stale = 0;
  if (wake_fd_ >= 0) (void)!::read(wake_fd_, &stale, sizeof stale);

  fd_ = fd;
  marked_exclusive_ = marked;
  name_ = name;
  open_.store(true);
  return {};
}

void CSerialPort::Close() {
  if (wake_fd_ >= 0) {
    const std::uint64_t one = 1;
    (void)!::write(wake_fd_, &one, sizeof one);
  }
  std::lock_guard lock(io_mutex_);
  CloseLocked();
  std::uint64_t drained = 0;
  if (wake_fd_ >= 0) (void)!::read(wake_fd_, &drained, sizeof drained);
}

void CSerialPort::CloseLocked() {
  if (fd_ < 0) return;
  open_.store(false);
  name_.clear();
  if (marked_exclusive_) (void)::ioctl(fd_, TIOCNXCL);
  marked_exclusive_ = false;
  ::close(fd_);  // releases the flock
  fd_ = -1;
}

bool CSerialPort::IsOpen() const { return open_.load(); }

std::string CSerialPort::Name() const {
  std::lock_guard lock(io_mutex_);
  return name_;
}

ReadResult CSerialPort::Read(std::span<std::uint8_t> buffer) {
  std::lock_guard lock(io_mutex_);
  if (fd_ < 0 || buffer.empty()) return {};

  // With VMIN = VTIME = 0 a read of 0 bytes also means "nothing yet", so ask poll
  // first: input followed by a read of 0 bytes, or a hang-up, is the adapter going.
  pollfd pfd{fd_, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&pfd, 1, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return {};

  if (pfd.revents & POLLIN) {
    ssize_t n;
    do {
      n = ::read(fd_, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    if (n > 0) return {static_cast<std::size_t>(n), false};
    if (n == 0 || MeansRemoved(errno)) {
      CloseLocked();
      return {0, true};
    }
  }
  if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
    CloseLocked();
    return {0, true};
  }
  return {};
}

std::size_t CSerialPort::Write(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(io_mutex_);
  if (fd_ < 0) return 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      const int wait_ms = MillisecondsUntil(deadline);
      if (wait_ms == 0) break;
      pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_fd_, POLLIN, 0}};
      const int ready = ::poll(fds, 2, wait_ms);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;              // time-out
      if (fds[1].revents & POLLIN) break;  // Close wants the port
      if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLOUT)) break;
      continue;
    }
    break;  // EIO and the like: the device is going; the next Read reports it
  }
  return written;
}

}  // namespace velmora
