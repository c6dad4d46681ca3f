// The pseudo-terminal transport: the engine opens the slave by path with the real
// serial port; a thread here reads the master and answers as scripted.
#include <poll.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <thread>

#include "pty_pair.h"
#include "scripted_peer.h"
#include "test_port.h"

namespace velmora::testing {
namespace {

class PtyPeer final : public ScriptedPeer {
 public:
  PtyPeer() : reader_([this] { ReadLoop(); }) {}
  ~PtyPeer() override { StopReader(); }

  std::unique_ptr<Port> MakePort() override { return MakeSerialPort(); }
  std::string port_name() const override { return pty_.slave_path(); }

  void Send(ByteView bytes) override {
    std::lock_guard lock(write_mutex_);
    std::size_t done = 0;
    while (done < bytes.size() && pty_.master() >= 0) {
      const ssize_t n = ::write(pty_.master(), bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
    }
  }

  void Unplug() override {
    StopReader();
    std::lock_guard lock(write_mutex_);
    pty_.CloseMaster();
  }

 private:
  void StopReader() {
    running_ = false;
    if (reader_.joinable()) reader_.join();
  }

  void ReadLoop() {
    std::array<std::uint8_t, 4096> buffer;
    while (running_) {
      pollfd fd{pty_.master(), POLLIN, 0};
      const int ready = ::poll(&fd, 1, 10);
      if (ready <= 0) continue;
      if (!(fd.revents & POLLIN)) {
        // Nobody has the slave open yet (or any more): the master reports a
        // hang-up at once, so wait a little instead of spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      const ssize_t n = ::read(pty_.master(), buffer.data(), buffer.size());
      if (n > 0) Received(ByteView(buffer.data(), static_cast<std::size_t>(n)));
      else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  PtyPair pty_;
  std::mutex write_mutex_;
  std::atomic<bool> running_{true};
  std::thread reader_;
};

}  // namespace

std::unique_ptr<ScriptedPeer> MakePtyPeer() { return std::make_unique<PtyPeer>(); }

}  // namespace velmora::testing
