// The in-memory transport: a Port whose writes go straight to the scripted peer
// and whose reads return what the peer answered.
#include <algorithm>
#include <deque>

#include "scripted_peer.h"

namespace velmora::testing {
namespace {

struct Line {
  std::mutex mutex;
  std::deque<std::uint8_t> to_engine;
  bool unplugged = false;
};

class FakePeer;

class FakePort final : public Port {
 public:
  FakePort(FakePeer& peer, std::shared_ptr<Line> line) : peer_(peer), line_(std::move(line)) {}

  OpenResult Open(const std::string& name, int) override {
    if (open_) return {PortError::kAlreadyOpen, 0};
    if (name.empty()) return {PortError::kNoName, 0};
    open_ = true;
    return {};
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }

  ReadResult Read(std::span<std::uint8_t> buffer) override {
    if (!open_) return {};
    std::lock_guard lock(line_->mutex);
    if (line_->unplugged) {
      open_ = false;
      return {0, true};
    }
    const std::size_t n = std::min(buffer.size(), line_->to_engine.size());
    std::copy_n(line_->to_engine.begin(), n, buffer.begin());
    line_->to_engine.erase(line_->to_engine.begin(), line_->to_engine.begin() + static_cast<std::ptrdiff_t>(n));
    return {n, false};
  }

  std::size_t Write(std::span<const std::uint8_t> bytes) override;

 private:
  FakePeer& peer_;
  std::shared_ptr<Line> line_;
  std::atomic<bool> open_{false};
};

class FakePeer final : public ScriptedPeer {
 public:
  std::unique_ptr<Port> MakePort() override { return std::make_unique<FakePort>(*this, line_); }
  std::string port_name() const override { return "fake0"; }
  void Send(ByteView bytes) override {
    std::lock_guard lock(line_->mutex);
    line_->to_engine.insert(line_->to_engine.end(), bytes.begin(), bytes.end());
  }
  void Unplug() override {
    std::lock_guard lock(line_->mutex);
    line_->unplugged = true;
  }
  bool unplugged() {
    std::lock_guard lock(line_->mutex);
    return line_->unplugged;
  }
  void FromEngine(ByteView bytes) { Received(bytes); }

 private:
  std::shared_ptr<Line> line_ = std::make_shared<Line>();
};

std::size_t FakePort::Write(std::span<const std::uint8_t> bytes) {
  if (!open_ || peer_.unplugged()) return 0;
  peer_.FromEngine(bytes);
  return bytes.size();
}

}  // namespace

std::unique_ptr<ScriptedPeer> MakeFakePeer() { return std::make_unique<FakePeer>(); }

}  // namespace velmora::testing
