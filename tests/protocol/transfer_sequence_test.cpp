// The transfer sequence, tick by tick: read-all against a simple device,
// a device that stops answering, and the write-all batches.
#include <gtest/gtest.h>

#include "flow_rig.h"
#include "protocol/catalogue.h"
#include "protocol/read_all_job.h"
#include "protocol/write_all_job.h"

namespace velmora::protocol {
namespace {

using testing::FlowRig;
using testing::Opcodes;
using testing::SimpleDevice;

// The read requests of a full read, (opcode, channel or slot byte), in the
// order of the step table.
std::vector<std::pair<std::uint8_t, std::uint8_t>> ExpectedReads(int inputs, int outputs) {
  std::vector<std::pair<std::uint8_t, std::uint8_t>> r;
  auto each = [&](std::uint8_t opcode, int n) {
    for (int c = 0; c < n; ++c) r.emplace_back(opcode, c);
  };
  each(op::kReadInputDelay, inputs);
  each(op::kReadOutputDelay, outputs);
  each(op::kReadPresetName, 17);
  for (int c = 0; c < inputs; ++c) r.insert(r.end(), 2, {op::kReadInputEq, c});
  for (int c = 0; c < outputs; ++c) r.insert(r.end(), 2, {op::kReadOutputEq, c});
  each(op::kReadNoiseGate, inputs);
  each(op::kReadInputGain, inputs);
  for (int c = 0; c < outputs; ++c) r.insert(r.end(), 2, {op::kReadOutputFilter, c});
  each(op::kReadCompressor, outputs);
  each(op::kReadLimiter, outputs);
  r.emplace_back(op::kReadOutputGains, 0);
  each(op::kReadInputPolarity, inputs);
  each(op::kReadOutputPolarity, outputs);
  each(op::kReadMatrixRow, inputs);
  return r;
}

std::vector<std::pair<std::uint8_t, std::uint8_t>> Reads(const std::vector<Bytes>& sent) {
  std::vector<std::pair<std::uint8_t, std::uint8_t>> r;
  for (const Bytes& f : sent) r.emplace_back(f[kOffOpcode], f.size() > 6 ? f[5] : 0);
  return r;
}

TEST(ReadAll, ReadsEveryItemInTheTablesOrderTwoTicksEachAfterThePreDelay) {
  FlowRig rig;
  rig.AddDevice(8, 8);
  rig.link.set_responder(SimpleDevice{});
  rig.flows->sequence().Start(kSyncPreDelayMs, SequenceKind::kReadAll, rig.devices[0]);
  EXPECT_FALSE(rig.timers.IsArmed(timer_code::kMeterPoll));
  const int ticks = rig.RunUntilKilled(timer_code::kSequenceTick);

  EXPECT_EQ(rig.link.sent.size(), 138u);
  EXPECT_EQ(Reads(rig.link.sent), ExpectedReads(8, 8));
  // 10 ticks of pre-delay, one start tick per step, two ticks per request.
  EXPECT_EQ(ticks, 10 + 11 + 2 * 138);
  EXPECT_TRUE(rig.flows->sequence().done());
  EXPECT_EQ(rig.owner.sequence_ends, std::vector<bool>{false});
  EXPECT_EQ(rig.owner.progress.size(), 11u);
  EXPECT_EQ(rig.owner.progress.back(), std::make_pair(11, 11));
  EXPECT_TRUE(rig.timers.IsArmed(timer_code::kMeterPoll));  // restarted: devices exist
  EXPECT_EQ(rig.devices[0].delay[kSideOutput][5], 105);
  EXPECT_EQ(rig.devices[0].PresetName(12), "P2");
}

TEST(ReadAll, ADeviceThatNeverAnswersPresetNamesFailsInStep2After21MissesKeepingTheDelays) {
  FlowRig rig;
  rig.AddDevice(2, 2);
  rig.link.set_responder(SimpleDevice{{op::kReadPresetName}});
  rig.flows->sequence().Start(kSyncPreDelayMs, SequenceKind::kReadAll, rig.devices[0]);
  const auto* job = static_cast<const ReadAllJob*>(rig.flows->sequence().job());
  int ticks = 0;
  while (!rig.flows->sequence().done()) {
    rig.timers.Advance(100);
    ++ticks;
    if (!rig.flows->sequence().done()) {
      EXPECT_LT(job->misses(), 21);
    }
  }
  // Pre-delay 10, step 1: 1 + 2 x 4, step 2: start, send, 21 misses.
  EXPECT_EQ(ticks, 10 + 9 + 1 + 1 + 21);
  EXPECT_EQ(job->step_index(), 2);
  EXPECT_EQ(rig.owner.sequence_ends, std::vector<bool>{true});
  const DeviceRecord& d = rig.devices[0];
  EXPECT_EQ(d.delay[kSideInput][1], 101);
  EXPECT_TRUE(d.delay_enable[kSideOutput][0]);
  EXPECT_EQ(d.delay[kSideOutput][1], 101);
  EXPECT_FALSE(rig.timers.IsArmed(timer_code::kSequenceTick));
}

TEST(ReadAll, ASequenceWhoseDeviceWasDeletedEndsWithFailure) {
  FlowRig rig;
  rig.AddDevice(2, 2);
  rig.flows->sequence().Start(kSyncPreDelayMs, SequenceKind::kReadAll, rig.devices[0]);
  rig.devices.clear();
  rig.RunUntilKilled(timer_code::kSequenceTick);
  EXPECT_EQ(rig.owner.sequence_ends, std::vector<bool>{true});
  EXPECT_FALSE(rig.timers.IsArmed(timer_code::kMeterPoll));  // no devices: no poll
}

TEST(WriteAll, EachBatchHoldsOneChannelsFramesBuiltAsTheDeferredWritesBuildThem) {
  FlowRig rig;
  DeviceRecord& d = rig.AddDevice(8, 8);
  d.gain[kSideInput][0] = -6000;
  ASSERT_EQ(WriteAllBatchCount(d), 16);

  const auto first = WriteAllBatch(d, rig.settings, 0);
  ASSERT_EQ(first.size(), 5u + 31u);
  EXPECT_EQ(first[0], *WriteGainsOneInput(d, 0));
  EXPECT_EQ(first[1], *WritePolarityOneInput(d, 0));
  EXPECT_EQ(first[2], *WriteDelayOneInput(d, 0));
  EXPECT_EQ(first[3], *WriteNoiseGate(d, 0, rig.settings));
  EXPECT_EQ(first[4], *WriteMatrixRow(d, 0));
  for (int b = 0; b < 31; ++b) EXPECT_EQ(first[5 + b], *WriteEqBand(d, kSideInput, 0, b));

  const auto output0 = WriteAllBatch(d, rig.settings, 8);
  ASSERT_EQ(output0.size(), 3u + 4u + 31u);
  EXPECT_EQ(output0[0], WriteGainsAllOutputs(d));
  EXPECT_EQ(output0[1], WritePolarityAllOutputs(d));
  EXPECT_EQ(output0[2], WriteDelayAllOutputs(d));
  EXPECT_EQ(output0[3], *WriteCompressor(d, 0, rig.settings));
  EXPECT_EQ(output0[4], *WriteLimiter(d, 0, rig.settings));
  EXPECT_EQ(output0[5], *WriteHighPass(d, 0));
  EXPECT_EQ(output0[6], *WriteLowPass(d, 0));
  EXPECT_EQ(output0[7], *WriteEqBand(d, kSideOutput, 0, 0));

  const auto output7 = WriteAllBatch(d, rig.settings, 15);
  ASSERT_EQ(output7.size(), 4u + 31u);
  EXPECT_EQ(output7[0], *WriteCompressor(d, 7, rig.settings));

  d.equalizer_band_count = {10, 12};  // the band counts the pages use
  EXPECT_EQ(WriteAllBatch(d, rig.settings, 0).size(), 5u + 10u);
  EXPECT_EQ(WriteAllBatch(d, rig.settings, 9).size(), 4u + 12u);
}

TEST(WriteAll, BatchesGoOutNineTicksApartAndTheSequenceEndsOnceTheQueueIsEmpty) {
  FlowRig rig;
  rig.AddDevice(2, 2);
  rig.link.pending_sends_ = 1;  // the link is still busy when the last batch is queued
  rig.flows->sequence().Start(kWriteAllPreDelayMs, SequenceKind::kWriteAll, rig.devices[0]);
  std::vector<int> batch_ticks;
  std::size_t sent = 0;
  for (int tick = 1; tick <= 60 && !rig.flows->sequence().done(); ++tick) {
    rig.timers.Advance(100);
    if (rig.link.sent.size() != sent) batch_ticks.push_back(tick);
    sent = rig.link.sent.size();
    if (tick == 50) rig.link.pending_sends_ = 0;
  }
  EXPECT_EQ(batch_ticks, (std::vector<int>{2, 11, 20, 29}));  // after one pre-delay tick
  EXPECT_TRUE(rig.flows->sequence().done());
  EXPECT_EQ(rig.owner.sequence_ends, std::vector<bool>{false});
  EXPECT_EQ(rig.timers.now_ms(), 51 * 100);  // the first tick that finds the queue empty
}

}  // namespace
}  // namespace velmora::protocol
