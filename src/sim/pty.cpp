#include "sim/pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace velmora::sim {

namespace {
speed_t SpeedOf(int baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 230400: return B230400;
    default: return B115200;
  }
}
}  // namespace

bool MakeRaw(int fd, int baud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, SpeedOf(baud));
  cfsetospeed(&tio, SpeedOf(baud));
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

Result<PseudoTerminal> PseudoTerminal::Open() {
  using R = Result<PseudoTerminal>;
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return R::Fail(std::string("posix_openpt: ") + std::strerror(errno));
  char path[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0) {
    const std::string why = std::strerror(errno);
    close(master);
    return R::Fail("pseudo-terminal set-up: " + why);
  }
  const int slave = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0 || !MakeRaw(slave, 115200) || !MakeRaw(master, 115200)) {
    const std::string why = std::strerror(errno);
    if (slave >= 0) close(slave);
    close(master);
    return R::Fail("raw mode on " + std::string(path) + ": " + why);
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  return R::Ok(PseudoTerminal(master, slave, path));
}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_(other.master_), slave_keepalive_(other.slave_keepalive_), slave_path_(std::move(other.slave_path_)) {
  other.master_ = other.slave_keepalive_ = -1;
}

PseudoTerminal::~PseudoTerminal() {
  if (slave_keepalive_ >= 0) close(slave_keepalive_);
  if (master_ >= 0) close(master_);
}

std::optional<Bytes> PseudoTerminal::Read() {
  Bytes all;
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got > 0) {
      all.insert(all.end(), buffer, buffer + got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return all;
    if (got == 0) return all;
    return all.empty() ? std::nullopt : std::optional<Bytes>(all);
  }
}

bool PseudoTerminal::Write(ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(master_, bytes.data() + done, bytes.size() - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The console is not reading; give it a moment rather than lose bytes.
      pollfd p{master_, POLLOUT, 0};
      if (poll(&p, 1, 1000) <= 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace velmora::sim
