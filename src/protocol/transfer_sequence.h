#pragma once
// The transfer sequence on timer 141: a pre-delay, then the ticks of one job
// (read all, write all, later the effects dump) on one device, then the end:
// the done flag, the timer killed, the meter poll restarted when devices
// exist, and the owner told whether it failed.
//
// The device is remembered by address and looked up at every tick (address 0
// is the placeholder), so a device deleted or rescanned away meanwhile ends
// the sequence with failure instead of being written through a stale record.

#include <cstdint>
#include <memory>

#include "protocol/flow_owner.h"
#include "protocol/sequence_job.h"

namespace velmora::protocol {

// Pre-delays of the starters, in ms.
inline constexpr int kSyncPreDelayMs = 1000;         // tree selection, sync button, load from device
inline constexpr int kFactoryResetPreDelayMs = 16000;
inline constexpr int kPresetRecallPreDelayMs = 12000;
inline constexpr int kWriteAllPreDelayMs = 1;

class TransferSequence {
 public:
  explicit TransferSequence(FlowContext& context) : context_(context) {}

  // Kinds 0 and 1 on `device`. Stops the meter poll, clears the done flag and
  // arms the timer. A start while a sequence runs restarts it.
  void Start(int pre_delay_ms, SequenceKind kind, const DeviceRecord& device);
  // Any kind, with its job (the effects dump brings its own).
  void Start(int pre_delay_ms, const DeviceRecord& device, std::unique_ptr<SequenceJob> job);

  // Timer 141.
  void Tick();

  bool done() const { return done_; }
  bool failed() const { return failed_; }  // of the last sequence that ended
  const SequenceJob* job() const { return job_.get(); }
  int pre_delay_ms() const { return pre_delay_ms_; }
  std::uint32_t device_address() const { return address_; }

 private:
  DeviceRecord* Device();
  void End(bool failed);

  FlowContext& context_;
  bool done_ = true;
  bool failed_ = false;
  int pre_delay_ms_ = 0;
  std::uint32_t address_ = 0;
  std::unique_ptr<SequenceJob> job_;
  int reported_units_ = 0;
};

}  // namespace velmora::protocol
