#include "protocol/write_all_job.h"

#include <algorithm>

#include "protocol/deferred_writes.h"

namespace velmora::protocol {

namespace {

int Count(const DeviceRecord& r, int side) { return static_cast<int>(ChannelsInTables(r, side)); }
int Bands(const DeviceRecord& r, int side) {
  return static_cast<int>(std::min<std::uint32_t>(r.equalizer_band_count[static_cast<std::size_t>(side)],
                                                  kBands));
}

}  // namespace

int WriteAllBatchCount(const DeviceRecord& record) {
  return Count(record, kSideInput) + Count(record, kSideOutput);
}

std::vector<Bytes> WriteAllBatch(const DeviceRecord& r, const ProgramSettings& s, int batch) {
  const auto a = static_cast<std::uint8_t>(r.address & 0xFF);
  std::vector<TimerRequestId> ids;
  const int inputs = Count(r, kSideInput);
  if (batch < 0 || batch >= WriteAllBatchCount(r)) return {};
  if (batch < inputs) {
    const int c = batch;
    ids.push_back(TimerRequestId::Write(timer_code::kGains, a, kSideInput, c));
    ids.push_back(TimerRequestId::Write(timer_code::kPolarity, a, kSideInput, c));
    ids.push_back(TimerRequestId::Write(timer_code::kDelay, a, kSideInput, c));
    ids.push_back(TimerRequestId::Write(timer_code::kNoiseGate, a, kSideInput, c));
    ids.push_back(TimerRequestId::MatrixRow(a, c));
    for (int b = 0; b < Bands(r, kSideInput); ++b)
      ids.push_back(TimerRequestId::Write(timer_code::kEqBand, a, kSideInput, c, b));
  } else {
    const int c = batch - inputs;
    if (c == 0) {
      ids.push_back(TimerRequestId::Write(timer_code::kGains, a, kSideOutput, 0));
      ids.push_back(TimerRequestId::Write(timer_code::kPolarity, a, kSideOutput, 0));
      ids.push_back(TimerRequestId::Write(timer_code::kDelay, a, kSideOutput, 0));
    }
    ids.push_back(TimerRequestId::Write(timer_code::kCompressor, a, kSideOutput, c));
    ids.push_back(TimerRequestId::Write(timer_code::kLimiter, a, kSideOutput, c));
    ids.push_back(TimerRequestId::Write(timer_code::kFilter, a, kSideOutput, c, kHighPass));
    ids.push_back(TimerRequestId::Write(timer_code::kFilter, a, kSideOutput, c, kLowPass));
    for (int b = 0; b < Bands(r, kSideOutput); ++b)
      ids.push_back(TimerRequestId::Write(timer_code::kEqBand, a, kSideOutput, c, b));
  }
  std::vector<Bytes> frames;
  for (const TimerRequestId& id : ids)
    if (auto frame = BuildDeferredWrite(id, r, s)) frames.push_back(std::move(*frame));
  return frames;
}

JobStatus WriteAllJob::Tick(DeviceRecord& record, LinkQueue& link) {
  total_ = WriteAllBatchCount(record);
  if (wait_ms_ > 0) {
    wait_ms_ -= 100;
    return JobStatus::kRunning;
  }
  if (batch_ < total_) {
    for (const Bytes& frame : WriteAllBatch(record, settings_, batch_)) link.Enqueue(frame);
    ++batch_;
    wait_ms_ = kBatchGapMs;
    return JobStatus::kRunning;
  }
  return link.IsSendQueueEmpty() ? JobStatus::kSucceeded : JobStatus::kRunning;
}

}  // namespace velmora::protocol
