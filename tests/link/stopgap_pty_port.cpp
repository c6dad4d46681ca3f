// Stop-gap until the termios serial port is merged: just enough of a raw,
// non-blocking tty port for the pty tests.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "test_port.h"

namespace velmora::testing {
namespace {

class StopgapPtyPort final : public Port {
 public:
  ~StopgapPtyPort() override { Close(); }
  OpenResult Open(const std::string& name, int) override {
    if (fd_ >= 0) return {PortError::kAlreadyOpen, 0};
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {errno == ENOENT ? PortError::kNoSuchPort : PortError::kOther, errno};
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return {};
  }
  void Close() override {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) ::close(fd);
  }
  bool IsOpen() const override { return fd_ >= 0; }
  ReadResult Read(std::span<std::uint8_t> buffer) override {
    if (fd_ < 0) return {};
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n > 0) return {static_cast<std::size_t>(n), false};
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return {};
    if (n == 0) {
      // With VMIN 0 (which a peer program may set on the shared pty settings) an
      // empty read is not an end of file; only a hang-up is.
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLHUP | POLLERR))) return {};
    }
    Close();
    return {0, true};
  }
  std::size_t Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) break;
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, 1000) <= 0) break;
    }
    return done;
  }

 private:
  std::atomic<int> fd_{-1};
};

}  // namespace

std::unique_ptr<Port> MakeSerialPort() { return std::make_unique<StopgapPtyPort>(); }

}  // namespace velmora::testing
