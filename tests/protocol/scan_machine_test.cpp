// The scan, tick by tick on a scripted link.
#include <gtest/gtest.h>

#include "flow_rig.h"
#include "protocol/catalogue.h"

namespace velmora::protocol {
namespace {

using testing::AddressAssignedReply;
using testing::FlowRig;
using testing::Opcodes;
using testing::ScanIdentityReply;

constexpr ChipId kChipA{1, 2, 3, 4, 5, 6, 7, 8};

struct ScanRig : FlowRig {
  ScanMachine& scan = flows->scan();
  // Runs timer 140 once (it fires every 200 ms).
  void Tick() { timers.Advance(ScanMachine::kTickMs); }
  void StartScan() {
    scan.BeginNewScan();
    scan.SendScanBegin();
    scan.SendScanBegin();
    scan.Start();
  }
};

TEST(Scan, WithScanTime5000TheScanEndsOnThe26thTickWhateverWasFound) {
  ScanRig rig;
  rig.settings.config_scan_time = 5000;
  rig.StartScan();
  for (int tick = 1; tick <= 25; ++tick) {
    rig.Tick();
    ASSERT_FALSE(rig.scan.finished()) << "tick " << tick;
  }
  rig.Tick();
  EXPECT_TRUE(rig.scan.finished());
  EXPECT_FALSE(rig.timers.IsArmed(timer_code::kScanStep));
  EXPECT_EQ(rig.owner.scans_finished, 1);
  EXPECT_EQ(rig.timers.now_ms(), 26 * 200);
}

TEST(Scan, OneDeviceGetsAddress1WithItsNameCountsAndBandCounts) {
  ScanRig rig;
  rig.bands = {10, 40};  // the output graph's count is above 31: the default stays
  rig.StartScan();
  rig.Tick();  // ScanQuery
  rig.link.PushReply(ScanIdentityReply(kChipA));
  rig.Tick();  // AssignAddress 1
  rig.link.PushReply(AddressAssignedReply(1, "Stage left", 4, 2));
  rig.Tick();  // the record; then queries until the time is up
  while (!rig.scan.finished()) rig.Tick();

  const auto ops = Opcodes(rig.link.sent);
  ASSERT_GE(ops.size(), 4u);
  EXPECT_EQ(std::vector<std::uint8_t>(ops.begin(), ops.begin() + 4),
            (std::vector<std::uint8_t>{op::kScanBegin, op::kScanBegin, op::kScanQuery, op::kAssignAddress}));
  EXPECT_EQ(rig.link.sent[3], AssignAddress(1, kChipA));
  for (std::size_t i = 4; i < ops.size(); ++i) EXPECT_EQ(ops[i], op::kScanQuery);

  ASSERT_EQ(rig.devices.size(), 1u);
  const DeviceRecord& d = rig.devices[0];
  EXPECT_EQ(d.address, 1u);
  EXPECT_EQ(d.chip_id, kChipA);
  EXPECT_EQ(d.name, "Stage left");
  EXPECT_EQ(d.channel_count, (std::array<std::uint32_t, 2>{4, 2}));
  EXPECT_EQ(d.equalizer_band_count, (std::array<std::uint32_t, 2>{10, 31}));
  EXPECT_EQ(rig.owner.found, std::vector<std::uint32_t>{1});
}

TEST(Scan, CollisionsAreReBroadcastAtMostTwiceThenANewQueryGoesOut) {
  ScanRig rig;
  rig.StartScan();
  rig.link.sent.clear();
  rig.Tick();  // ScanQuery; two devices answer at once: the link makes up collisions
  for (int i = 0; i < 3; ++i) rig.link.PushReply(MakeScanCollisionReply());
  rig.Tick();
  rig.Tick();
  rig.Tick();  // the third collision: no more re-broadcasts
  rig.Tick();  // step 0 again
  EXPECT_EQ(Opcodes(rig.link.sent), (std::vector<std::uint8_t>{op::kScanQuery, op::kScanCollision,
                                                               op::kScanCollision, op::kScanQuery}));
  EXPECT_TRUE(rig.devices.empty());
}

TEST(Scan, AnAddressAssignedWithTheWrongAddressIsIgnored) {
  ScanRig rig;
  rig.StartScan();
  rig.link.sent.clear();
  rig.Tick();
  rig.link.PushReply(ScanIdentityReply(kChipA));
  rig.Tick();  // AssignAddress 1
  rig.link.PushReply(AddressAssignedReply(5, "Wrong", 2, 2));
  rig.Tick();  // dropped; still waiting
  EXPECT_TRUE(rig.devices.empty());
  EXPECT_EQ(rig.scan.step(), 2);
  rig.Tick();  // silence: AssignAddress once more
  rig.Tick();  // silence again: a new query
  EXPECT_EQ(Opcodes(rig.link.sent), (std::vector<std::uint8_t>{op::kScanQuery, op::kAssignAddress,
                                                               op::kAssignAddress}));
  EXPECT_EQ(rig.scan.step(), 0);
  rig.Tick();
  EXPECT_EQ(rig.link.sent.back()[kOffOpcode], op::kScanQuery);
  EXPECT_TRUE(rig.devices.empty());
}

TEST(Scan, SilenceAfterAQueryMeansANewQueryAfterSixEmptyTicks) {
  ScanRig rig;
  rig.StartScan();
  rig.link.sent.clear();
  for (int i = 0; i < 8; ++i) rig.Tick();  // query, six empty ticks, query
  EXPECT_EQ(Opcodes(rig.link.sent), (std::vector<std::uint8_t>{op::kScanQuery, op::kScanQuery}));
}

}  // namespace
}  // namespace velmora::protocol
