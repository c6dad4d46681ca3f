#include "scripted_peer.h"

#include <algorithm>
#include <thread>

namespace velmora::testing {

void ScriptedPeer::OnFrame(FrameResponder responder) {
  std::lock_guard lock(mutex_);
  frame_responder_ = std::move(responder);
}

void ScriptedPeer::SetRaw(RawResponder responder) {
  std::lock_guard lock(mutex_);
  raw_responder_ = std::move(responder);
  raw_ = true;
}

void ScriptedPeer::SetFramed() {
  std::lock_guard lock(mutex_);
  raw_ = false;
}

std::vector<ScriptedPeer::Chunk> ScriptedPeer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::vector<Bytes> ScriptedPeer::frames() const {
  std::lock_guard lock(mutex_);
  std::vector<Bytes> frames;
  for (const Chunk& c : received_)
    if (c.frame) frames.push_back(c.bytes);
  return frames;
}

std::size_t ScriptedPeer::frame_count() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

bool ScriptedPeer::WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return frames_ >= count; });
}

bool ScriptedPeer::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void ScriptedPeer::Received(ByteView bytes) {
  Bytes answer;
  {
    std::lock_guard lock(mutex_);
    if (raw_) {
      received_.push_back({false, Bytes(bytes.begin(), bytes.end())});
      bool back_to_frames = false;
      if (raw_responder_) answer = raw_responder_(bytes, back_to_frames);
      if (back_to_frames) raw_ = false;
    } else {
      pending_.insert(pending_.end(), bytes.begin(), bytes.end());
      // Resynchronise on the header; a frame is complete when its length has arrived.
      while (!pending_.empty()) {
        if (pending_[0] != kFrameHeader) {
          pending_.erase(pending_.begin());
          continue;
        }
        if (pending_.size() < 2 || pending_[1] > pending_.size()) break;
        const std::size_t length = std::max<std::size_t>(pending_[1], 1);
        Bytes frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        ++frames_;
        if (frame_responder_) {
          const Bytes reply = frame_responder_(frame);
          answer.insert(answer.end(), reply.begin(), reply.end());
        }
        received_.push_back({true, std::move(frame)});
      }
    }
  }
  changed_.notify_all();
  if (!answer.empty()) Send(answer);
}

}  // namespace velmora::testing
