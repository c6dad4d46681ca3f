// The address-assignment scan against the emulated line, driven by a host
// that follows the console's scan timing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "scan_host.h"
#include "sim/sim_config.h"
#include "sim_process.h"

namespace velmora::sim {
namespace {

using testing::FoundDevice;
using testing::RunConsoleScan;
using testing::VirtualWire;

Line MakeLine(int devices, std::uint64_t seed) {
  LineOptions options;
  options.seed = seed;
  return Line(DefaultDevices(devices, seed, 3 * kMillis), options);
}

// Every device appears exactly once, with addresses 1..N in order and the
// identity it was configured with.
void ExpectAllAddressed(const Line& line, const std::vector<FoundDevice>& found) {
  ASSERT_EQ(found.size(), static_cast<std::size_t>(line.device_count()));
  std::set<ChipId> chips;
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].address, static_cast<int>(i + 1));
    chips.insert(found[i].chip_id);
  }
  EXPECT_EQ(chips.size(), found.size());
  for (int n = 1; n <= line.device_count(); ++n) {
    const Device& d = *line.device(n);
    const auto it = std::find_if(found.begin(), found.end(), [&](const FoundDevice& f) { return f.chip_id == d.chip_id(); });
    ASSERT_NE(it, found.end());
    EXPECT_EQ(it->address, d.address());
    EXPECT_EQ(it->name, d.name());
    EXPECT_EQ(it->inputs, d.inputs());
    EXPECT_EQ(it->outputs, d.outputs());
  }
}

// The console's scan spends at least three 200 ms ticks per device (query,
// assignment, confirmation) out of the 25 working ticks of its default 5 s
// scan, so eight devices need a longer scan time; one device fits easily.
TEST(Scan, OneDeviceIsAddressedWithinTheDefaultScanTime) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Line line = MakeLine(1, seed);
    VirtualWire wire(line);
    ExpectAllAddressed(line, RunConsoleScan(wire, {}).devices);
  }
}

TEST(Scan, EightCollidingDevicesAreAllAddressedWithinAnEightSecondScan) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Line line = MakeLine(8, seed);
    VirtualWire wire(line);
    testing::ScanOptions options;
    options.scan_time = 8000 * kMillis;
    ExpectAllAddressed(line, RunConsoleScan(wire, options).devices);
  }
}

TEST(Scan, DevicesThatAnswerAtDifferentLatenciesDoNotCollideAndAreStillAddressed) {
  auto setups = DefaultDevices(3, 5, 3 * kMillis);
  setups[1].latency = 20 * kMillis;
  setups[2].latency = 40 * kMillis;
  LineOptions options;
  Line line(setups, options);
  VirtualWire wire(line);
  ExpectAllAddressed(line, RunConsoleScan(wire, {}).devices);
}

TEST(Scan, ACollisionNeverReadsAsAFrameEvenWhenItsOrSumsUp) {
  // The OR of these two identities carries a valid checksum for chip id
  // 02 04 00 00 00 00 00 00, which neither device has.
  auto setups = DefaultDevices(2, 1, 3 * kMillis);
  setups[0].chip_id = {0x02, 0, 0, 0, 0, 0, 0, 0};
  setups[1].chip_id = {0, 0x04, 0, 0, 0, 0, 0, 0};
  Line line(setups, LineOptions{});
  VirtualWire wire(line);
  wire.Write(CommandFrame(FrameClass::kScan, 0, 0xEF).Finish());
  wire.Write(CommandFrame(FrameClass::kScan, 0, 0xE1).Finish());
  wire.SleepUntil(100 * kMillis);
  const Bytes read = wire.Read(256);
  EXPECT_EQ(read.size(), 14u);
  EXPECT_FALSE(ExtractReply(read));
  ExpectAllAddressed(line, RunConsoleScan(wire, {}).devices);
}

TEST(Scan, EightDevicesOverTheTerminalOfTheRunningEmulator) {
  testing::SimProcess sim({VELMORA_SIM_BINARY, "--devices", "8", "--seed", "11", "--stdin-control"});
  ASSERT_TRUE(sim.ok());
  testing::PtyWire wire(sim.slave_path());
  ASSERT_TRUE(wire.ok());
  testing::ScanOptions options;
  options.scan_time = 8000 * kMillis;
  options.stop_after = 8;
  const auto result = RunConsoleScan(wire, options);
  ASSERT_EQ(result.devices.size(), 8u);
  std::set<ChipId> chips;
  for (std::size_t i = 0; i < result.devices.size(); ++i) {
    EXPECT_EQ(result.devices[i].address, static_cast<int>(i + 1));
    EXPECT_EQ(result.devices[i].name.rfind("DSP-", 0), 0u);
    chips.insert(result.devices[i].chip_id);
  }
  EXPECT_EQ(chips.size(), 8u);
}

}  // namespace
}  // namespace velmora::sim
