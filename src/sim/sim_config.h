#pragma once
// What velmora-sim is asked to run: from the command line and, optionally,
// a small line description file (--config FILE).
//
// The file holds one [line] section and one [device] section per device, in
// line order; `#` starts a comment:
//
//   [line]
//   seed = 7                      # chip ids and randomness when not given
//   baud = 115200                 # wire speed used for collision timing
//   effects-blocks = 64
//   effects-block-size = 64       # 1..247 data bytes per ReadEffectsBlock reply
//
//   [device]
//   name = Stage left             # at most 20 characters
//   chip-id = 01 23 45 67 89 AB CD EF
//   inputs = 8                    # 1..8
//   outputs = 8                   # 1..8
//   latency = 3                   # ms before it answers
//   # faults, as on the control channel: drop, corrupt, jitter, mute-opcode, unplugged
//   mute-opcode = 0xD7

#include <string>
#include <vector>

#include "sim/line.h"

namespace velmora::sim {

struct SimConfig {
  std::vector<DeviceSetup> devices;
  LineOptions line;
  std::string link_path;     // --link: symbolic link to the slave, removed on exit
  std::string control_path;  // --control: UNIX socket for control commands
  bool stdin_control = false;
  std::string log_path;
  std::string store_dir;
  std::vector<std::string> startup_faults;  // --fault "drop 1 0.3"...
  bool show_help = false;
};

// The default line: `count` devices "DSP-1".., channel counts cycling
// 8x8, 4x4, 2x6, chip ids derived from the seed.
std::vector<DeviceSetup> DefaultDevices(int count, std::uint64_t seed, Micros latency);

Result<SimConfig> ParseCommandLine(int argc, const char* const* argv);
// Parses a line description; `latency` is used for devices without their own.
Result<SimConfig> ParseConfigText(const std::string& text, SimConfig base, Micros latency);

std::string UsageText();

}  // namespace velmora::sim
