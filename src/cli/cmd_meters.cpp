// velmora-cli meters: scan, then poll the level meters; each round prints
// every device's online state and its levels in dBv.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/flow_command.h"
#include "protocol/meter_poll.h"

namespace velmora::cli {

namespace {

std::string Levels(const DeviceRecord& r, int side, const ProgramSettings& settings) {
  std::string text;
  const std::size_t count = ChannelsInTables(r, side);
  for (std::size_t c = 0; c < count; ++c) {
    char value[16];
    std::snprintf(value, sizeof value, "%s%.1f", c ? " " : "",
                  protocol::MeterLevelDb(r.energy[static_cast<std::size_t>(side)][c], settings));
    text += value;
  }
  return text;
}

}  // namespace

int RunMeters(int argc, char** argv) {
  const Command* self = FindCommand("meters");
  const ParseResult parsed = ParseArgs(argc, argv, 1, ScanOptions({{"count"}, {}}));
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  long rounds = 0;
  if (const auto count = parsed.args.value("count")) {
    const auto value = ParseNumber(*count, 1, 1000000);
    if (!value) return UsageError(self, "--count is a number of rounds, not '" + *count + "'");
    rounds = *value;
  }
  int exit = kExitOk;
  auto line = OpenAndScan(self, parsed.args, exit);
  if (!line) return exit;
  if (line->session->devices().empty()) {
    std::fprintf(stderr, "velmora-cli: no device to poll\n");
    return kExitFailed;
  }
  int round = 0;
  const ProgramSettings& settings = line->session->settings();
  line->session->RunMeters(static_cast<int>(rounds), [&](const DeviceList& devices, const std::vector<bool>& online) {
    ++round;
    for (std::size_t i = 0; i < devices.size(); ++i) {
      const DeviceRecord& r = devices[i];
      std::printf("%d\t%u\t%s\t%s\tin %s\tout %s dBv\n", round, r.address, r.name.c_str(),
                  online[i] ? "online" : "offline", Levels(r, kSideInput, settings).c_str(),
                  Levels(r, kSideOutput, settings).c_str());
    }
    std::fflush(stdout);
  });
  return kExitOk;
}

}  // namespace velmora::cli
