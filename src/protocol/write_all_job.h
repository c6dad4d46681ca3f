#pragma once
// Kind 1: writes a whole record to its device, one channel per batch, the
// batches 800 ms apart (nine ticks), then waits for the send queue to drain.
// Every frame is the one the deferred write of the same parameter would send.
// A write-all never fails: nothing is answered.

#include <vector>

#include "link/frame.h"
#include "model/program_settings.h"
#include "protocol/sequence_job.h"

namespace velmora::protocol {

// Batch b of a write-all: inputs 0..inputs-1, then outputs 0..outputs-1.
//   input c:  WriteGains, WritePolarity, WriteDelay (one-input forms),
//             WriteNoiseGate, WriteMatrixRow c, WriteEqBand for each input band;
//   output c: for output 0 first WriteGains, WritePolarity and WriteDelay in
//             their all-outputs forms; then WriteCompressor, WriteLimiter,
//             WriteHighPass, WriteLowPass, WriteEqBand for each output band.
std::vector<Bytes> WriteAllBatch(const DeviceRecord& record, const ProgramSettings& settings,
                                 int batch);
int WriteAllBatchCount(const DeviceRecord& record);

class WriteAllJob : public SequenceJob {
 public:
  static constexpr int kBatchGapMs = 800;

  explicit WriteAllJob(const ProgramSettings& settings) : settings_(settings) {}

  SequenceKind kind() const override { return SequenceKind::kWriteAll; }
  JobStatus Tick(DeviceRecord& record, LinkQueue& link) override;
  int done_units() const override { return batch_; }
  int total_units() const override { return total_; }

 private:
  const ProgramSettings& settings_;
  int batch_ = 0;
  int total_ = 0;
  int wait_ms_ = 0;
};

}  // namespace velmora::protocol
