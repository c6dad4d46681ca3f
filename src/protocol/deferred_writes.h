#pragma once
// Deferred writes: an edit changes the record at once and arms a one-shot
// timer; when it fires the frame is built from the record's values at that
// moment and queued. Re-arming the same identifier restarts its countdown, so
// a burst of edits to one parameter goes out as one frame.

#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "model/device_list.h"
#include "model/program_settings.h"
#include "protocol/flow_owner.h"
#include "protocol/timer_request_id.h"

namespace velmora::protocol {

// The frame a write timer sends for `record`, or nothing when the code's
// condition does not hold (an input channel beyond the device's inputs, a
// missing side bit, a band outside the tables) or the code is no write code.
// Side 1 selects the all-outputs form of the delay, gain and polarity writes.
std::optional<Bytes> BuildDeferredWrite(const TimerRequestId& id, const DeviceRecord& record,
                                        const ProgramSettings& settings);

// The same for a fired timer: the device is the last record with the
// identifier's address; nothing when there is none (rescan, deleted device).
std::optional<Bytes> BuildDeferredWrite(std::uint32_t id, const DeviceList& devices,
                                        const ProgramSettings& settings);

// Whether the code is one of the write codes 128..139 (134 is none).
bool IsWriteCode(std::uint8_t code);

// What a page does after storing an edit.
inline void ArmDeferredWrite(TimerHost& timers, const TimerRequestId& id,
                             int ms = kDeferredWriteMs) {
  timers.SetTimer(id.Pack(), ms);
}

}  // namespace velmora::protocol
