#include "protocol/read_all_job.h"

namespace velmora::protocol {

JobStatus ReadAllJob::Tick(DeviceRecord& record, LinkQueue& link) {
  if (step_index_ == 0) {
    step_index_ = 1;
    step_state_ = 0;
  }
  switch (RunStep(record, link)) {
    case StepResult::kRunning:
      return JobStatus::kRunning;
    case StepResult::kFailed:
      return JobStatus::kFailed;
    case StepResult::kEnded:
      break;
  }
  if (step_index_ >= kReadSteps) {
    step_index_ = kReadSteps + 1;  // every step done
    return JobStatus::kSucceeded;
  }
  ++step_index_;
  step_state_ = 0;
  return JobStatus::kRunning;
}

ReadAllJob::StepResult ReadAllJob::RunStep(DeviceRecord& record, LinkQueue& link) {
  switch (step_state_) {
    case 0:
      items_ = ReadStepItems(step_index_, record, settings_);
      item_ = 0;
      step_state_ = 1;
      return StepResult::kRunning;
    case 1:
      if (item_ >= items_.size()) return StepResult::kEnded;  // a side without channels
      link.Enqueue(items_[item_].request);
      step_state_ = 2;
      misses_ = 0;
      return StepResult::kRunning;
    default: {
      const auto reply = link.PopReply();
      if (reply && Answered(items_[item_].apply(record, *reply))) {
        misses_ = 0;
        if (++item_ >= items_.size()) return StepResult::kEnded;
        step_state_ = 1;
        return StepResult::kRunning;
      }
      if (++misses_ >= kMissLimit) return StepResult::kFailed;
      return StepResult::kRunning;
    }
  }
}

}  // namespace velmora::protocol
