#pragma once
// What the protocol's state machines need of the link engine. CUart implements it;
// tests drive the state machines with a fake.

#include <optional>

#include "link/frame.h"

namespace velmora {

class LinkQueue {
 public:
  virtual ~LinkQueue() = default;
  // Copies the frame onto the send queue unless an identical frame is still waiting.
  virtual void Enqueue(ByteView frame) = 0;
  // The oldest reply (real or made up), or nothing.
  virtual std::optional<Bytes> PopReply() = 0;
  virtual bool IsSendQueueEmpty() = 0;
};

}  // namespace velmora
