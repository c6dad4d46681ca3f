#pragma once
// One kind of transfer sequence: what each tick does once the pre-delay is
// over. Read-all and write-all live here; the effects dump adds its own job.

#include <memory>

#include "link/link_queue.h"
#include "model/device_record.h"
#include "protocol/flow_owner.h"

namespace velmora::protocol {

enum class JobStatus { kRunning, kSucceeded, kFailed };

class SequenceJob {
 public:
  virtual ~SequenceJob() = default;
  virtual SequenceKind kind() const = 0;
  // The tick period of this kind.
  virtual int tick_ms() const { return 100; }
  // One tick on the sequence's device.
  virtual JobStatus Tick(DeviceRecord& record, LinkQueue& link) = 0;
  // Progress for the owner: units done of the total (steps, batches).
  virtual int done_units() const = 0;
  virtual int total_units() const = 0;
};

}  // namespace velmora::protocol
