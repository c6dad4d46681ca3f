// Timer identifiers, the timer dispatch and the deferred writes, in virtual time.
#include <gtest/gtest.h>

#include "flow_rig.h"
#include "protocol/catalogue.h"
#include "protocol/deferred_writes.h"

namespace velmora::protocol {
namespace {

using testing::FlowRig;
using testing::Opcodes;

TEST(TimerRequestId, PacksEachFieldIntoItsBitsAndCode138IntoItsOwnLayout) {
  struct Case {
    TimerRequestId id;
    std::uint32_t packed;
  };
  const Case cases[] = {
      {TimerRequestId::Write(timer_code::kGains, 1, 0, 3), 0x03010085u},
      {TimerRequestId::Write(timer_code::kDelay, 2, 1, 7), 0x87020080u},
      {TimerRequestId::Write(timer_code::kEqBand, 3, 1, 5, 30), 0x85031E82u},
      {TimerRequestId::Write(timer_code::kFilter, 4, 1, 0, 1), 0x80040184u},
      {TimerRequestId::PinkNoise(5, 2, true), 0x82050083u},
      {TimerRequestId::PinkNoise(5, 2, false), 0x02050083u},
      {TimerRequestId::DeviceName(9), 0x0009008Bu},
      {TimerRequestId::MatrixRow(6, 7), 0x0700068Au},
      {TimerRequestId::MatrixRow(6, 0x85), 0x8500068Au},  // the input's top bit is bit 31
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.packed);
    EXPECT_EQ(c.id.Pack(), c.packed);
    EXPECT_EQ(TimerRequestId::Unpack(c.packed), c.id);
  }
  // Code 138 does not read bits 16..23.
  EXPECT_EQ(TimerRequestId::Unpack(0x07FF068Au).address, 6);
  EXPECT_EQ(TimerRequestId::Unpack(0x07FF068Au).channel, 7);
}

TEST(TimerDispatch, HandlesTheFlowCodesAndLeaves134AndUnknownCodesUnhandled) {
  FlowRig rig;
  for (int code = 128; code <= 142; ++code)
    EXPECT_EQ(rig.flows->OnTimer(0x00010000u | static_cast<std::uint32_t>(code)), code != 134) << code;
  EXPECT_FALSE(rig.flows->OnTimer(143));  // the owner's monitor refresh, until it registers it
  EXPECT_FALSE(rig.flows->OnTimer(7));
  EXPECT_FALSE(rig.flows->OnTimer(0x00010000u | 200));
  bool monitor = false;
  rig.flows->timer_table().Register(timer_code::kMonitorRefresh, [&](std::uint32_t) { monitor = true; });
  EXPECT_TRUE(rig.flows->OnTimer(143));
  EXPECT_TRUE(monitor);
}

TEST(DeferredWrite, SendsOnlyWhenTheCodesConditionHolds) {
  FlowRig rig;
  DeviceRecord& d = rig.AddDevice(4, 4, "Stage");
  struct Case {
    const char* what;
    TimerRequestId id;
    std::optional<std::uint8_t> opcode;  // nothing: no frame
  };
  const Case cases[] = {
      {"input delay inside", TimerRequestId::Write(128, 1, 0, 3), op::kWriteDelay},
      {"input delay beyond the inputs", TimerRequestId::Write(128, 1, 0, 4), std::nullopt},
      {"output delay of any channel", TimerRequestId::Write(128, 1, 1, 7), op::kWriteDelay},
      {"compressor without bit 31", TimerRequestId::Write(129, 1, 0, 1), std::nullopt},
      {"compressor", TimerRequestId::Write(129, 1, 1, 1), op::kWriteCompressor},
      {"eq band 30", TimerRequestId::Write(130, 1, 0, 2, 30), op::kWriteEqBand},
      {"eq band 31", TimerRequestId::Write(130, 1, 0, 2, 31), std::nullopt},
      {"pink noise", TimerRequestId::PinkNoise(1, 0, true), op::kPinkNoise},
      {"low-pass", TimerRequestId::Write(132, 1, 1, 2, 1), op::kWriteLowPass},
      {"high-pass", TimerRequestId::Write(132, 1, 1, 2, 0), op::kWriteHighPass},
      {"filter without bit 31", TimerRequestId::Write(132, 1, 0, 2, 1), std::nullopt},
      {"input gain", TimerRequestId::Write(133, 1, 0, 0), op::kWriteGains},
      {"limiter", TimerRequestId::Write(135, 1, 1, 3), op::kWriteLimiter},
      {"noise gate with bit 31", TimerRequestId::Write(136, 1, 1, 0), std::nullopt},
      {"noise gate", TimerRequestId::Write(136, 1, 0, 0), op::kWriteNoiseGate},
      {"output polarity", TimerRequestId::Write(137, 1, 1, 0), op::kWritePolarity},
      {"matrix row 3", TimerRequestId::MatrixRow(1, 3), op::kWriteMatrixRow},
      {"matrix row beyond the inputs", TimerRequestId::MatrixRow(1, 4), std::nullopt},
      {"device name", TimerRequestId::DeviceName(1), op::kWriteDeviceName},
      {"another address", TimerRequestId::Write(133, 2, 0, 0), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rig.link.sent.clear();
    ArmDeferredWrite(rig.timers, c.id);
    rig.timers.Advance(kDeferredWriteMs);
    EXPECT_FALSE(rig.timers.IsArmed(c.id.Pack()));  // killed whether or not it sent
    if (!c.opcode) {
      EXPECT_TRUE(rig.link.sent.empty());
      continue;
    }
    ASSERT_EQ(rig.link.sent.size(), 1u);
    EXPECT_EQ(rig.link.sent[0][kOffOpcode], *c.opcode);
  }
  // The all-outputs form carries every output whatever the channel.
  d.delay[kSideOutput] = {11, 22, 33, 44};
  EXPECT_EQ(BuildDeferredWrite(TimerRequestId::Write(128, 1, 1, 2), d, rig.settings), WriteDelayAllOutputs(d));
}

TEST(DeferredWrite, ABurstOfEditsGoesOutAsOneFrame100msAfterTheLastWithTheLastValue) {
  FlowRig rig;
  DeviceRecord& d = rig.AddDevice(8, 8);
  const TimerRequestId id = TimerRequestId::Write(timer_code::kDelay, 1, kSideInput, 3);
  for (int edit = 0; edit < 5; ++edit) {  // five changes within 80 ms
    d.delay[kSideInput][3] = 100 + edit;
    ArmDeferredWrite(rig.timers, id);
    if (edit < 4) rig.timers.Advance(20);
  }
  rig.timers.Advance(99);
  EXPECT_TRUE(rig.link.sent.empty());
  rig.timers.Advance(1);  // 100 ms after the last edit
  ASSERT_EQ(rig.link.sent.size(), 1u);
  EXPECT_EQ(rig.link.sent[0], WriteDelayOneInput(d, 3));
  EXPECT_EQ(rig.link.sent[0][7], 104);
  rig.timers.Advance(1000);
  EXPECT_EQ(rig.link.sent.size(), 1u);  // one shot
}

TEST(DeferredWrite, ATimerForADeletedDeviceSendsNothingAndIsKilled) {
  FlowRig rig;
  rig.AddDevice(8, 8);
  const TimerRequestId id = TimerRequestId::Write(timer_code::kGains, 1, kSideInput, 0);
  ArmDeferredWrite(rig.timers, id);
  rig.devices.clear();  // deleted from the tree within the 100 ms
  rig.timers.Advance(200);
  EXPECT_TRUE(rig.link.sent.empty());
  EXPECT_FALSE(rig.timers.IsArmed(id.Pack()));
}

}  // namespace
}  // namespace velmora::protocol

namespace velmora::protocol {
namespace {

TEST(DeferredWrite, PinkNoiseCarriesTheChannelBitPlayOrStopAndThePinkNoiseSettings) {
  testing::FlowRig rig;
  rig.AddDevice(4, 4);
  rig.settings.config_pink_noise_volume = 200;
  rig.settings.config_pink_noise_address = 0x00012345;
  rig.settings.config_pink_noise_size = 0x00ABCDEF;
  for (bool play : {true, false}) {
    rig.link.sent.clear();
    ArmDeferredWrite(rig.timers, TimerRequestId::PinkNoise(1, 2, play));
    rig.timers.Advance(kDeferredWriteMs);
    ASSERT_EQ(rig.link.sent.size(), 1u);
    const Bytes& f = rig.link.sent[0];
    EXPECT_EQ(f, *PinkNoise(1, 2, play, rig.settings));
    EXPECT_EQ(f[5], 1 << 2);
    EXPECT_EQ(f[6], play ? 1 : 0);
    EXPECT_EQ(f[8], 200);
    EXPECT_EQ((std::vector<std::uint8_t>(f.begin() + 9, f.begin() + 17)),
              (std::vector<std::uint8_t>{0x00, 0x01, 0x23, 0x45, 0x00, 0xAB, 0xCD, 0xEF}));
  }
}

TEST(TickScheduler, BehavesAsWindowTimers) {
  std::vector<std::pair<std::int64_t, std::uint32_t>> fired;
  TickScheduler* self = nullptr;
  TickScheduler timers([&](std::uint32_t id) {
    fired.emplace_back(self->now_ms(), id);
    if (id == 1) self->KillTimer(1);  // a one-shot: its handler kills it
  });
  self = &timers;
  timers.SetTimer(1, 100);
  timers.SetTimer(2, 200);  // periodic until killed
  timers.Advance(50);
  timers.SetTimer(1, 100);  // arming again restarts the countdown
  timers.Advance(550);
  EXPECT_EQ(fired, (std::vector<std::pair<std::int64_t, std::uint32_t>>{
                       {150, 1}, {200, 2}, {400, 2}, {600, 2}}));
  timers.KillTimer(2);
  EXPECT_TRUE(timers.empty());
  EXPECT_FALSE(timers.FireNext());
}

}  // namespace
}  // namespace velmora::protocol
