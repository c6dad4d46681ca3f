// velmora-bench-sim-scan: how long the console's scan takes to address every
// device of an emulated line. A host following the console's scan timing
// (tests/sim/scan_host.h) scans velmora-sim over its pseudo-terminal, in real
// time, once per seed; the figures are the median, 90th percentile and worst
// over the runs. The same scan in virtual time over many more seeds shows the
// spread without waiting for it.
//
//   velmora-bench-sim-scan [--runs N]   (default 20 runs per line size)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scan_host.h"
#include "sim/sim_config.h"
#include "sim_process.h"

using namespace velmora::sim;

namespace {

// From StartScan; the first ScanQuery goes out 1.2 s later (ScanBegin twice,
// 500 ms apart, then the first 200 ms tick).
constexpr double kFirstQueryMs = 1200;

struct Figures {
  double median = 0, p90 = 0, worst = 0;
  int within_default_scan = 0;  // resolved by the last working tick of a 5 s scan
  int runs = 0;
};

Figures Summarise(std::vector<double> ms) {
  Figures f;
  f.runs = static_cast<int>(ms.size());
  if (ms.empty()) return f;
  std::sort(ms.begin(), ms.end());
  f.median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
  f.p90 = ms[std::min(ms.size() - 1, ms.size() * 9 / 10)];
  f.worst = ms.back();
  for (double t : ms) f.within_default_scan += t <= kFirstQueryMs + 24 * 200 + 100;  // 25 working ticks
  return f;
}

void Print(const char* how, int devices, const Figures& f) {
  std::printf("%-9s %d device(s): median %5.0f ms (%5.0f ms after the first ScanQuery), p90 %5.0f ms, worst %5.0f ms, "
              "within the default 5 s scan %d/%d\n",
              how, devices, f.median, f.median - kFirstQueryMs, f.p90, f.worst, f.within_default_scan, f.runs);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

  std::printf("scan-resolution time from StartScan to the last AddressAssigned taken by the scan step\n");
  for (int devices : {1, 3, 8}) {
    std::vector<double> real;
    int failed = 0;
    for (int run = 1; run <= runs; ++run) {
      testing::SimProcess sim({VELMORA_SIM_BINARY, "--devices", std::to_string(devices), "--seed",
                               std::to_string(run), "--stdin-control"});
      testing::PtyWire wire(sim.slave_path());
      if (!sim.ok() || !wire.ok()) {
        std::fprintf(stderr, "velmora-bench-sim-scan: the emulator did not start\n");
        return 1;
      }
      testing::ScanOptions options;
      options.scan_time = 15000 * kMillis;
      options.stop_after = devices;
      const auto result = testing::RunConsoleScan(wire, options);
      if (static_cast<int>(result.devices.size()) < devices) ++failed;
      else real.push_back(static_cast<double>(result.duration) / kMillis);
    }
    Print("pty", devices, Summarise(real));
    if (failed) std::printf("          %d run(s) did not address every device within 15 s\n", failed);

    std::vector<double> simulated;
    for (std::uint64_t seed = 1; seed <= 1000; ++seed) {
      LineOptions line_options;
      line_options.seed = seed;
      Line line(DefaultDevices(devices, seed, 3 * kMillis), line_options);
      testing::VirtualWire wire(line);
      testing::ScanOptions options;
      options.scan_time = 15000 * kMillis;
      options.stop_after = devices;
      const auto result = testing::RunConsoleScan(wire, options);
      if (static_cast<int>(result.devices.size()) == devices)
        simulated.push_back(static_cast<double>(result.duration) / kMillis);
    }
    Print("virtual", devices, Summarise(simulated));
  }
  return 0;
}
