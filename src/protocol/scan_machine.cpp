#include "protocol/scan_machine.h"

#include <algorithm>

#include "protocol/catalogue_scan.h"
#include "protocol/timer_request_id.h"

namespace velmora::protocol {

void ScanMachine::BeginNewScan() {
  context_.timers.KillTimer(timer_code::kMeterPoll);  // its replies must not mix with the scan's
  context_.devices.clear();
  device_count_ = 0;
}

void ScanMachine::SendScanBegin() { context_.link.Enqueue(ScanBegin()); }

void ScanMachine::Start() {
  countdown_ms_ = static_cast<int>(std::min<std::uint32_t>(context_.settings.config_scan_time, 1u << 30));
  step_ = 0;
  finished_ = false;
  context_.timers.SetTimer(timer_code::kScanStep, kTickMs);
}

void ScanMachine::Abort() {
  if (!finished_) Finish();
}

void ScanMachine::Finish() {
  context_.timers.KillTimer(timer_code::kScanStep);
  finished_ = true;
  context_.owner.OnScanFinished(device_count_);
}

void ScanMachine::Tick() {
  if (finished_) {  // a stray tick after the end
    context_.timers.KillTimer(timer_code::kScanStep);
    return;
  }
  if (countdown_ms_ < 1) {
    Finish();
    return;
  }
  countdown_ms_ -= kTickMs;
  switch (step_) {
    case 0:
      context_.link.Enqueue(ScanQuery());
      step_ = 1;
      wait_ms_ = 0;
      break;
    case 1:
      StepWaitIdentity();
      break;
    default:
      StepWaitAssignment();
      break;
  }
}

void ScanMachine::StepWaitIdentity() {
  const auto reply = context_.link.PopReply();
  if (!reply) {
    wait_ms_ += kTickMs;
    if (wait_ms_ > kSilenceLimitMs) {
      step_ = 0;
      wait_ms_ = 0;
    }
    return;
  }
  if (const auto chip = ParseScanIdentity(*reply)) {
    pending_chip_ = *chip;
    QueueAssign();
    step_ = 2;
    collisions_ = 0;
    resent_ = false;
    return;
  }
  if (IsScanCollision(*reply)) {
    ++collisions_;
    if (collisions_ > kMaxCollisions) {
      step_ = 0;
    } else {
      context_.link.Enqueue(ScanCollision());
      wait_ms_ = 0;
    }
  }
  // Anything else is dropped.
}

void ScanMachine::StepWaitAssignment() {
  const auto reply = context_.link.PopReply();
  if (!reply) {
    if (resent_) {
      step_ = 0;
    } else {
      resent_ = true;
      QueueAssign();
    }
  } else if (const auto assigned = ParseAddressAssigned(*reply);
             assigned && assigned->address == device_count_ + 1) {
    const DeviceRecord& record =
        AppendDiscoveredDevice(context_.devices, pending_chip_, assigned->inputs, assigned->outputs,
                               assigned->name, context_.band_counts);
    ++device_count_;
    step_ = 0;
    context_.owner.OnDeviceFound(record);
  }
  // Any other reply is dropped and the step stays.
  wait_ms_ = 0;
}

void ScanMachine::QueueAssign() {
  context_.link.Enqueue(AssignAddress(static_cast<std::uint8_t>(device_count_ + 1), pending_chip_));
}

}  // namespace velmora::protocol
