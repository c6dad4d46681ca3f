// velmora-bench-flows: the device flows against the emulated line over a pty,
// at the real timing (100 ms sequence ticks, 200 ms scan ticks, the link
// engine's transaction sleeps), each figure beside the one the design gives.
//   - the full read of an 8 x 8 and of a 2 x 2 device, 5 ms device latency;
//   - the scan of 1, 3 and 8 devices.
#include <chrono>
#include <cstdio>

#include "live_line.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

sim::DeviceSetup Device(const std::string& name, std::uint8_t tag, int inputs, int outputs) {
  sim::DeviceSetup device = testing::LineDevice(name, tag, inputs, outputs);
  device.latency = 5 * sim::kMillis;
  return device;
}

int Requests(int inputs, int outputs) {
  // delays, preset names, EQs, gates, input gains, filters, compressors,
  // limiters, output gains, polarities, matrix rows
  return (inputs + outputs) + 17 + 2 * (inputs + outputs) + inputs + inputs + 2 * outputs + outputs +
         outputs + 1 + (inputs + outputs) + inputs;
}

void FullRead(int inputs, int outputs) {
  testing::EmulatedLine emulator({Device("Bench", 1, inputs, outputs)});
  emulator.Run();
  testing::LiveConsole console(emulator.tty());
  console.Scan(2000);
  if (console.devices.size() != 1) {
    std::printf("full read %dx%d: the scan found %zu devices\n", inputs, outputs, console.devices.size());
    return;
  }
  const auto start = Clock::now();
  const bool ok = console.RunSequence(protocol::SequenceKind::kReadAll, console.devices[0]);
  const double total = Seconds(start);
  const int requests = Requests(inputs, outputs);
  // Two 100 ms ticks per request at best, and one tick to start each of the 11 steps.
  const double design = (2 * requests + 11) * 0.1;
  std::printf("full read %dx%d: %d requests, %.1f s (%.1f s after the 1 s pre-delay, %.0f ms per request)%s\n"
              "    design: about %.1f s plus the pre-delay (two ticks per request, one per step)\n",
              inputs, outputs, requests, total, total - 1.0, (total - 1.0) * 1000.0 / requests,
              ok ? "" : " FAILED", design);
}

void Scan(int count) {
  std::vector<sim::DeviceSetup> devices;
  for (int i = 1; i <= count; ++i) {
    const int inputs = i % 3 == 0 ? 2 : 8, outputs = i % 3 == 0 ? 6 : 8;
    devices.push_back(Device("DSP-" + std::to_string(i), static_cast<std::uint8_t>(i), inputs, outputs));
  }
  testing::EmulatedLine emulator(std::move(devices));
  emulator.Run();
  testing::LiveConsole console(emulator.tty());
  const auto start = Clock::now();
  console.Scan(5000);
  const double total = Seconds(start);
  const double last = console.found_after_s.empty() ? 0.0 : console.found_after_s.back();
  std::printf("scan of %d device%s: found %zu of %d, the last %.1f s after the start; the scan took %.1f s\n"
              "    design: 1 s of ScanBegin, then 26 ticks of 200 ms (5.2 s) for a scan time of 5000 ms\n",
              count, count == 1 ? "" : "s", console.devices.size(), count, last, total);
}

}  // namespace

// With arguments, only the scenarios named: read8x8 read2x2 scan1 scan3 scan8.
int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  auto wanted = [&](const std::string& name) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
      if (name == argv[i]) return true;
    return false;
  };
  if (wanted("read8x8")) FullRead(8, 8);
  if (wanted("read2x2")) FullRead(2, 2);
  for (int count : {1, 3, 8})
    if (wanted("scan" + std::to_string(count))) Scan(count);
  return 0;
}
