#pragma once
// Kind 0: reads the whole parameter set, step by step, one request in flight.
// Each item costs at least two ticks (send, then take the reply); a step that
// sees no matching reply for kMissLimit ticks ends the read with failure, and
// what was read so far stays in the record.

#include "model/program_settings.h"
#include "protocol/read_steps.h"
#include "protocol/sequence_job.h"

namespace velmora::protocol {

class ReadAllJob : public SequenceJob {
 public:
  static constexpr int kMissLimit = 21;  // about 2 s at 100 ms per tick

  explicit ReadAllJob(const ProgramSettings& settings) : settings_(settings) {}

  SequenceKind kind() const override { return SequenceKind::kReadAll; }
  JobStatus Tick(DeviceRecord& record, LinkQueue& link) override;
  int done_units() const override { return step_index_ > 0 ? step_index_ - 1 : 0; }
  int total_units() const override { return kReadSteps; }

  int step_index() const { return step_index_; }  // 0 before the first step, then 1..11
  int step_state() const { return step_state_; }  // 0 start, 1 send, 2 wait
  int misses() const { return misses_; }

 private:
  enum class StepResult { kRunning, kEnded, kFailed };
  StepResult RunStep(DeviceRecord& record, LinkQueue& link);

  const ProgramSettings& settings_;
  int step_index_ = 0;
  int step_state_ = 0;
  std::vector<ReadItem> items_;
  std::size_t item_ = 0;
  int misses_ = 0;
};

}  // namespace velmora::protocol
