// The meter poll and the level formula.
#include <gtest/gtest.h>

#include "flow_rig.h"
#include "protocol/catalogue.h"

namespace velmora::protocol {
namespace {

using testing::FlowRig;
using testing::SimpleDevice;

TEST(MeterLevel, FormulaTextAndBar) {
  struct Case {
    std::uint32_t energy, full;
    std::int32_t floor;
    const char* text;
    int bar;  // the bar's range is -960..0
  };
  const Case cases[] = {
      {1000000, 1000000, -96, "0.0 dBv", 0},
      {1000, 1000000, -96, "-30.0 dBv", -300},
      {0, 1000000, -96, "-96.0 dBv", -960},               // an energy of 0 shows the floor
      {1, 1000000000, -96, "-90.0 dBv", -900},
      {1, 0xFFFFFFFF, -80, "-80.0 dBv", -800},            // below the floor
      {5000, 0, -96, "-96.0 dBv", -960},                  // no full scale: the floor
      {0xFFFFFFFF, 0xFFFFFFFF, -96, "0.0 dBv", 0},        // read as unsigned
      {4000000, 1000000, -96, "6.0 dBv", 0},              // above full scale: the bar's top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const double level = MeterLevelDb(c.energy, c.full, c.floor);
    EXPECT_EQ(MeterLevelText(level), c.text);
    EXPECT_EQ(MeterBarValue(level, -960, 0), c.bar);
  }
}

TEST(MeterPoll, PollsOneDevicePerTickAndAppliesTheReplyItTakes) {
  FlowRig rig;
  rig.AddDevice(2, 2);
  rig.AddDevice(1, 1);
  SimpleDevice device;
  device.inputs = device.outputs = 2;  // answers as a 2 x 2 device, for every address
  rig.link.set_responder(device);
  rig.flows->meters().Start();
  rig.timers.Advance(200);  // asks 1
  ASSERT_EQ(rig.link.sent.size(), 1u);
  EXPECT_EQ(rig.link.sent[0], ReadStatus(1));
  EXPECT_TRUE(rig.owner.readings.empty() || rig.owner.readings[0].first == 1);
  rig.timers.Advance(200);  // asks 2
  EXPECT_EQ(rig.link.sent[1], ReadStatus(2));
  ASSERT_GE(rig.owner.readings.size(), 1u);
  EXPECT_EQ(rig.owner.readings[0], std::make_pair(1u, true));
  EXPECT_EQ(rig.devices[0].energy[kSideInput][1], 2000);
  EXPECT_EQ(rig.devices[0].energy[kSideOutput][1], 4000);
  EXPECT_EQ(rig.devices[0].current_preset, 3);
  EXPECT_EQ(rig.flows->meters().position(), 0u);  // back to the first device
}

TEST(MeterPoll, AShortOrMadeUpStatusReplyIsNeverReadPastItsEnd) {
  FlowRig rig;
  DeviceRecord& d = rig.AddDevice(8, 8);
  d.energy[kSideInput][0] = 1234;
  d.current_preset = 5;
  // A 2 x 2-sized answer for an 8 x 8 device: online, energies left as they were.
  SimpleDevice small;
  small.inputs = small.outputs = 2;
  rig.link.PushReply(small(ReadStatus(1))[0]);
  rig.flows->meters().Tick();
  EXPECT_EQ(rig.owner.readings.back(), std::make_pair(1u, true));
  EXPECT_EQ(d.energy[kSideInput][0], 1234);
  // The link's made-up no-answer reply: offline, energies and preset kept.
  rig.link.PushReply(MakeNoAnswerStatusReply(1));
  rig.flows->meters().Tick();
  EXPECT_EQ(rig.owner.readings.back(), std::make_pair(1u, false));
  EXPECT_EQ(d.energy[kSideInput][0], 1234);
  EXPECT_EQ(d.current_preset, 3);
}

TEST(MeterPoll, DropsRepliesOfOtherKindsOrAddressesAndIdlesWithoutAPort) {
  FlowRig rig;
  rig.AddDevice(2, 2);
  rig.link.PushReply(MakeNoAnswerStatusReply(9));       // no such device
  rig.link.PushReply(MakeScanCollisionReply());         // another kind
  rig.flows->meters().Tick();
  rig.flows->meters().Tick();
  EXPECT_TRUE(rig.owner.readings.empty());
  rig.owner.port_open = false;
  rig.link.sent.clear();
  rig.flows->meters().Tick();
  EXPECT_TRUE(rig.link.sent.empty());
}

}  // namespace
}  // namespace velmora::protocol
