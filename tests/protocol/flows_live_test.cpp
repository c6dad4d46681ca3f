// The device flows end to end: the console's link engine and serial port with
// their threads, a real pseudo-terminal, and the emulated line behind it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "live_line.h"
#include "model/parameter_file.h"

namespace velmora::protocol {
namespace {

using testing::EmulatedLine;
using testing::LiveConsole;
using testing::LineDevice;

constexpr std::uint32_t kQuickScanMs = 2000;  // enough for one or two devices at 1 ms latency

// A device's store filled with values the wire carries both ways.
sim::ParameterSet RandomStore(std::uint64_t seed) {
  std::mt19937_64 random(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  auto flag = [&] { return pick(0, 1) == 1; };
  auto fill_eq = [&](std::array<sim::EqBand, sim::kEqBands>& eq) {
    const int types[] = {0, 6, 7};
    for (sim::EqBand& b : eq)
      b = {flag(), pick(-1200, 1200), pick(20, 20000), pick(50, 12800), types[pick(0, 2)]};
  };
  sim::ParameterSet set;
  for (sim::InputChannel& in : set.inputs) {
    in.gain = pick(-640, 60) * 10;
    in.mute = flag();
    in.polarity = flag();
    in.delay_enable = flag();
    in.delay = pick(0, 2205);
    in.gate_enable = flag();
    in.gate_start = pick(-120, 50);
    in.gate_release = pick(-120, 50);
    fill_eq(in.eq);
    for (std::size_t j = 0; j < 8; ++j) {
      in.route_enable[j] = flag();
      in.route_level[j] = in.route_enable[j] ? pick(0, 255) : 0;
    }
  }
  for (sim::OutputChannel& out : set.outputs) {
    out.gain = pick(-640, 60) * 10;
    out.mute = flag();
    out.polarity = flag();
    out.delay_enable = flag();
    out.delay = pick(0, 2205);
    fill_eq(out.eq);
    for (sim::Filter& f : out.filters) {
      const FilterShape shape = kFilterShapes[static_cast<std::size_t>(pick(0, 19))];
      f = {flag(), shape.type, shape.slope, pick(20, 20000)};
    }
    out.compressor_enable = flag();
    out.compressor_attack = pick(0, 5000);
    out.compressor_release = pick(0, 5000);
    out.compressor_threshold = pick(0, 900);
    out.compressor_ratio_x10 = pick(1, 20) * 10;
    out.limiter_enable = flag();
    out.limiter_threshold = pick(-120, 50);
    out.limiter_release = pick(0, 255);
  }
  return set;
}

// What a full read must make of a store (no offsets configured).
DeviceRecord ExpectedRecord(DeviceRecord r, const sim::ParameterSet& set) {
  auto eq = [&](int side, int c, const std::array<sim::EqBand, sim::kEqBands>& bands) {
    for (int b = 0; b < static_cast<int>(kBands); ++b) {
      const sim::EqBand& band = bands[static_cast<std::size_t>(b)];
      r.SetEqualizerEnable(side, c, b, band.enable);
      r.SetEqualizerGain(side, c, b, band.gain);
      r.SetEqualizerFrequence(side, c, b, band.frequency);
      r.SetEqualizerQ(side, c, b, band.q);
      r.SetEqualizerType(side, c, b, band.type_code == 0 ? 1 : band.type_code);
    }
  };
  for (std::size_t c = 0; c < r.channel_count[0]; ++c) {
    const sim::InputChannel& in = set.inputs[c];
    r.gain[0][c] = in.gain;
    r.mute[0][c] = in.mute;
    r.polarity[0][c] = in.polarity;
    r.delay_enable[0][c] = in.delay_enable;
    r.delay[0][c] = in.delay;
    r.noise_gate_enable[c] = in.gate_enable;
    r.noise_gate_start_gate[c] = in.gate_start;
    r.noise_gate_release_gate[c] = in.gate_release;
    eq(0, static_cast<int>(c), in.eq);
    for (std::size_t j = 0; j < 8; ++j) {
      r.router_enable[c][j] = in.route_enable[j];
      r.router[c][j] = in.route_level[j];
    }
  }
  for (std::size_t c = 0; c < r.channel_count[1]; ++c) {
    const sim::OutputChannel& out = set.outputs[c];
    r.gain[1][c] = out.gain;
    r.mute[1][c] = out.mute;
    r.polarity[1][c] = out.polarity;
    r.delay_enable[1][c] = out.delay_enable;
    r.delay[1][c] = out.delay;
    eq(1, static_cast<int>(c), out.eq);
    for (int f = 0; f < 2; ++f) {
      const sim::Filter& filter = out.filters[static_cast<std::size_t>(f)];
      r.SetFilterEnable(1, static_cast<int>(c), f, filter.enable);
      r.SetFilterType(1, static_cast<int>(c), f, filter.type);
      r.SetFilterSlope(1, static_cast<int>(c), f, filter.slope);
      r.SetFilterFrequence(1, static_cast<int>(c), f, filter.frequency);
    }
    r.compressor_enable[c] = out.compressor_enable;
    r.compressor_start_time[c] = out.compressor_attack;
    r.compressor_release_time[c] = out.compressor_release;
    r.compressor_start_gate[c] = -out.compressor_threshold;
    r.compressor_ratio[c] = out.compressor_ratio_x10 / 10;
    r.limit_enable[c] = out.limiter_enable;
    r.limit_start_gate[c] = out.limiter_threshold;
    r.limit_release_time[c] = out.limiter_release;
  }
  return r;
}

// A record's whole processing set-up as parameter-file text, for comparing.
std::string ParameterText(const DeviceRecord& record) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("velmora-flows-" + std::to_string(getpid()) + ".ini");
  std::filesystem::remove(path);
  EXPECT_TRUE(WriteParameterFile(&record, path).ok);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(path);
  return text.str();
}

// The lines of two parameter texts that differ, "" when they are the same.
std::string DifferingLines(const DeviceRecord& got, const DeviceRecord& want) {
  std::istringstream a(ParameterText(got)), b(ParameterText(want));
  std::string la, lb, differences;
  while (static_cast<bool>(std::getline(a, la)) | static_cast<bool>(std::getline(b, lb))) {  // both advance
    if (la != lb) differences += "got " + la + ", want " + lb + "\n";
    la.clear();
    lb.clear();
  }
  return differences;
}

// A route switched off carries no level on the wire: the device keeps its own.
void ForgetLevelsOfRoutesOff(DeviceRecord& r) {
  for (std::size_t i = 0; i < kChannels; ++i)
    for (std::size_t j = 0; j < kChannels; ++j)
      if (!r.router_enable[i][j]) r.router[i][j] = 0;
}

TEST(FlowsLive, AScanFindsThreeDevicesWithTheirAddressesNamesAndCounts) {
  EmulatedLine emulator({LineDevice("Stage left", 1, 2, 2), LineDevice("Stage right", 2, 1, 1), LineDevice("Delay tower", 3, 8, 4)});
  emulator.Run();
  LiveConsole console(emulator.tty());
  console.Scan(5000);
  emulator.Stop();

  ASSERT_EQ(console.devices.size(), 3u);
  for (std::size_t p = 0; p < 3; ++p) {
    const DeviceRecord& r = console.devices[p];
    EXPECT_EQ(r.address, p + 1);
    const int number = r.chip_id[7];  // the tag given to device 1..3 of the line
    ASSERT_GE(number, 1);
    ASSERT_LE(number, 3);
    const sim::Device& d = *emulator.line().device(number);
    EXPECT_EQ(d.address(), r.address);
    EXPECT_EQ(r.name, d.name());
    EXPECT_EQ(r.channel_count[0], static_cast<std::uint32_t>(d.inputs()));
    EXPECT_EQ(r.channel_count[1], static_cast<std::uint32_t>(d.outputs()));
  }
}

TEST(FlowsLive, AFullReadOfASmallDeviceGivesTheEmulatorsStore) {
  EmulatedLine emulator({LineDevice("Small", 1, 2, 2)});
  const sim::ParameterSet store = RandomStore(11);
  emulator.line().device(1)->store().current() = store;
  emulator.line().device(1)->store().Rename(4, "Evening");
  emulator.Run();
  LiveConsole console(emulator.tty());
  console.Scan(kQuickScanMs);
  ASSERT_EQ(console.devices.size(), 1u);
  DeviceRecord& device = console.devices[0];
  const DeviceRecord before = device;

  ASSERT_TRUE(console.RunSequence(SequenceKind::kReadAll, device));
  EXPECT_EQ(DifferingLines(device, ExpectedRecord(before, store)), "");
  EXPECT_EQ(device.PresetName(4), "Evening");
  EXPECT_EQ(device.PresetName(0), "Factory");
}

TEST(FlowsLive, WriteAllThenReadBackIsTheIdentity) {
  EmulatedLine emulator({LineDevice("Small", 1, 2, 2)});
  emulator.Run();
  LiveConsole console(emulator.tty());
  console.Scan(kQuickScanMs);
  ASSERT_EQ(console.devices.size(), 1u);
  DeviceRecord& device = console.devices[0];
  const DeviceRecord fresh = device;
  // Values the wire carries both ways; the record the pages would hold.
  const DeviceRecord written = ExpectedRecord(fresh, RandomStore(23));
  device = written;

  ASSERT_TRUE(console.RunSequence(SequenceKind::kWriteAll, device));
  device = fresh;
  ASSERT_TRUE(console.RunSequence(SequenceKind::kReadAll, device));
  ForgetLevelsOfRoutesOff(device);
  EXPECT_EQ(DifferingLines(device, written), "");
}

TEST(FlowsLive, AnUnpluggedDeviceGoesOfflineAtItsNextPoll) {
  EmulatedLine emulator({LineDevice("Stays", 1, 1, 1), LineDevice("Leaves", 2, 1, 1)});
  emulator.Run();
  LiveConsole console(emulator.tty());
  console.Scan(kQuickScanMs);
  ASSERT_EQ(console.devices.size(), 2u);
  const DeviceRecord* leaving = nullptr;
  for (const DeviceRecord& r : console.devices)
    if (r.chip_id[7] == 2) leaving = &r;
  ASSERT_NE(leaving, nullptr);
  const std::uint32_t address = leaving->address;
  auto readings_of = [&](std::size_t from) {
    std::vector<bool> online;
    for (std::size_t i = from; i < console.readings.size(); ++i)
      if (console.readings[i].first == address) online.push_back(console.readings[i].second);
    return online;
  };

  console.flows.meters().Start();
  ASSERT_TRUE(console.RunUntil([&] { return readings_of(0).size() >= 2; }, 10000));
  EXPECT_EQ(readings_of(0), (std::vector<bool>{true, true}));

  ASSERT_EQ(emulator.Control("unplug 2"), "ok");
  const std::size_t unplugged_at = console.readings.size();
  ASSERT_TRUE(console.RunUntil([&] { return readings_of(unplugged_at).size() >= 3; }, 10000));
  const auto after = readings_of(unplugged_at);
  // The request in flight when the cable was pulled may still be answered.
  EXPECT_FALSE(after[1]);
  EXPECT_FALSE(after[2]);
  for (const auto& [addr, online] : console.readings)
    if (addr != address) {
      EXPECT_TRUE(online);
    }
}

}  // namespace
}  // namespace velmora::protocol
