#include "protocol/transfer_sequence.h"

#include "protocol/meter_poll.h"
#include "protocol/read_all_job.h"
#include "protocol/timer_request_id.h"
#include "protocol/write_all_job.h"

namespace velmora::protocol {

void TransferSequence::Start(int pre_delay_ms, SequenceKind kind, const DeviceRecord& device) {
  std::unique_ptr<SequenceJob> job;
  if (kind == SequenceKind::kReadAll) job = std::make_unique<ReadAllJob>(context_.settings);
  if (kind == SequenceKind::kWriteAll) job = std::make_unique<WriteAllJob>(context_.settings);
  Start(pre_delay_ms, device, std::move(job));
}

void TransferSequence::Start(int pre_delay_ms, const DeviceRecord& device,
                             std::unique_ptr<SequenceJob> job) {
  context_.timers.KillTimer(timer_code::kMeterPoll);
  address_ = device.address;
  pre_delay_ms_ = pre_delay_ms;
  job_ = std::move(job);
  reported_units_ = 0;
  done_ = false;
  failed_ = false;
  if (!job_) {  // a kind without a job: nothing to run
    End(true);
    return;
  }
  context_.timers.SetTimer(timer_code::kSequenceTick, job_->tick_ms());
}

DeviceRecord* TransferSequence::Device() {
  if (address_ == 0) return context_.devices.empty() ? &context_.placeholder : nullptr;
  return FindDevice(context_.devices, address_);
}

void TransferSequence::Tick() {
  if (done_) {  // a stray tick after the end
    context_.timers.KillTimer(timer_code::kSequenceTick);
    return;
  }
  if (pre_delay_ms_ >= 1) {
    pre_delay_ms_ -= 100;
    return;
  }
  DeviceRecord* device = Device();
  if (!device) {
    End(true);
    return;
  }
  const JobStatus status = job_->Tick(*device, context_.link);
  if (job_->done_units() != reported_units_) {
    reported_units_ = job_->done_units();
    context_.owner.OnSequenceProgress(job_->kind(), reported_units_, job_->total_units());
  }
  if (status == JobStatus::kSucceeded && reported_units_ != job_->total_units())
    context_.owner.OnSequenceProgress(job_->kind(), job_->total_units(), job_->total_units());
  if (status != JobStatus::kRunning) End(status == JobStatus::kFailed);
}

void TransferSequence::End(bool failed) {
  done_ = true;
  failed_ = failed;
  context_.timers.KillTimer(timer_code::kSequenceTick);
  if (!context_.devices.empty()) context_.timers.SetTimer(timer_code::kMeterPoll, MeterPoll::kTickMs);
  context_.owner.OnSequenceEnded(job_ ? job_->kind() : SequenceKind::kEffectsDump, failed);
}

}  // namespace velmora::protocol
