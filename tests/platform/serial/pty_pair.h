#pragma once
// A pseudo-terminal for port tests: the test holds the master, the port under
// test opens the slave by its path, as it would open a USB adapter.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      slave_path_ = ::ptsname(master_);
    }
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !slave_path_.empty(); }
  const std::string& slave_path() const { return slave_path_; }
  int master() const { return master_; }  // tcgetattr on it reports the slave's settings

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  bool WriteMaster(const std::vector<std::uint8_t>& bytes) {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Discards what the slave has written so far.
  void Drain() {
    pollfd pfd{master_, POLLIN, 0};
    std::uint8_t buf[256];
    while (::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN) && ::read(master_, buf, sizeof buf) > 0) {
    }
  }

  // Reads from the master until `count` bytes have come or `timeout` has passed.
  std::vector<std::uint8_t> ReadMaster(std::size_t count,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{master_, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      std::uint8_t buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace velmora::testing
