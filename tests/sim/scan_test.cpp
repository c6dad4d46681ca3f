// The address-assignment scan against the emulated line, driven by a host
// that follows the console's scan timing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "scan_host.h"
#include "sim/sim_config.h"

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

TEST(Scan, OneAndEightDevicesAreAllAddressedWithinTheDefaultScanTime) {
  for (int count : {1, 8}) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
      SCOPED_TRACE("devices " + std::to_string(count) + ", seed " + std::to_string(seed));
      Line line = MakeLine(count, seed);
      VirtualWire wire(line);
      const auto result = RunConsoleScan(wire, {});  // the full 5 s scan
      ExpectAllAddressed(line, result.devices);
    }
  }
}

TEST(Scan, FiguresForTuning) {
  for (int count : {1, 3, 8}) {
    std::vector<double> t;
    int failures = 0;
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
      Line line = MakeLine(count, seed);
      VirtualWire wire(line);
      testing::ScanOptions o;
      o.stop_after = count;
      o.scan_time = 30000 * kMillis;
      const auto r = RunConsoleScan(wire, o);
      if (static_cast<int>(r.devices.size()) < count || r.duration > 5000 * kMillis + 1200 * kMillis) ++failures;
      t.push_back(r.duration / 1000.0);
    }
    std::sort(t.begin(), t.end());
    std::printf("devices %d: median %.0f ms, p90 %.0f ms, max %.0f ms, over budget %d/200\n", count, t[t.size() / 2],
                t[t.size() * 9 / 10], t.back(), failures);
  }
}

}  // namespace
}  // namespace velmora::sim
