#pragma once
// The far end of the line in the link-engine tests: a small scripted device. It
// splits what the engine writes into frames and answers each one as the test
// says; bytes that are not frames (YMODEM blocks) go to a raw handler when the
// test switches the peer to raw mode. Two transports share this script: an
// in-memory fake port and a real pseudo-terminal pair.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/frame.h"
#include "platform/serial/port.h"

namespace velmora::testing {

class ScriptedPeer {
 public:
  using FrameResponder = std::function<Bytes(const Bytes& frame)>;
  // Returns the answer; sets `back_to_frames` to leave raw mode after this chunk.
  using RawResponder = std::function<Bytes(ByteView bytes, bool& back_to_frames)>;

  struct Chunk {
    bool frame;  // a complete frame, or raw bytes as they came in raw mode
    Bytes bytes;
  };

  virtual ~ScriptedPeer() = default;

  // The port the engine should use, and the name it opens it by.
  virtual std::unique_ptr<Port> MakePort() = 0;
  virtual std::string port_name() const = 0;
  // Bytes from the device to the engine, unasked.
  virtual void Send(ByteView bytes) = 0;
  // The device goes away (the adapter is pulled out).
  virtual void Unplug() = 0;

  void OnFrame(FrameResponder responder);
  // In raw mode every received byte goes to the raw handler, unsplit.
  void SetRaw(RawResponder responder);
  void SetFramed();

  // Everything received so far, in order.
  std::vector<Chunk> received() const;
  std::vector<Bytes> frames() const;
  std::size_t frame_count() const;
  bool WaitForFrames(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits until `done` holds; the peer's lock is not held while it is evaluated.
  static bool WaitUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

 protected:
  // Called by the transport with what the engine wrote; answers through Send.
  void Received(ByteView bytes);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  FrameResponder frame_responder_;
  RawResponder raw_responder_;
  bool raw_ = false;
  Bytes pending_;
  std::vector<Chunk> received_;
  std::size_t frames_ = 0;
};

std::unique_ptr<ScriptedPeer> MakeFakePeer();
std::unique_ptr<ScriptedPeer> MakePtyPeer();

}  // namespace velmora::testing
