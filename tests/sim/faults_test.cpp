// Named faults make a device silent exactly as asked, from the command line
// and through the control channel of the running emulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "line_fixture.h"
#include "sim_process.h"

namespace velmora::sim {
namespace {

using testing::Frame;
using testing::PtyWire;
using testing::SimProcess;
using testing::Transact;

constexpr std::uint8_t kRead = 0xF7;

constexpr ChipId kChips[] = {{1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2, 2, 2}};

// A config file naming two devices by chip id, so device n gets address n.
std::string WriteConfig(const std::string& path) {
  std::ofstream out(path);
  out << "# two devices\n[line]\nseed = 3\n"
         "[device]\nname = Left\nchip-id = 01 01 01 01 01 01 01 01\ninputs = 4\noutputs = 4\n"
         "[device]\nname = Right\nchip-id = 02:02:02:02:02:02:02:02\ninputs = 2\noutputs = 6\nlatency = 5\n";
  return path;
}

int AddressAll(PtyWire& wire) {
  Transact(wire, Frame(0xF2, 0, 0xEF));
  int assigned = 0;
  for (const ChipId& chip : kChips) {
    CommandFrame assign(FrameClass::kScan, 0, 0xE4);
    assign.Byte(static_cast<std::uint8_t>(assigned + 1)).Raw(chip);
    if (auto done = Transact(wire, assign.Finish()); done && (*done)[5] == assigned + 1) ++assigned;
  }
  return assigned;
}

TEST(Faults, MuteOpcodeSilencesThatOpcodeOnlyAndUnplugSilencesTheDeviceUntilPlugged) {
  const std::string log = (std::filesystem::temp_directory_path() / ("velmora-sim-log-" + std::to_string(getpid()))).string();
  const std::string config = WriteConfig(log + ".conf");
  SimProcess sim({VELMORA_SIM_BINARY, "--config", config, "--mute-opcode", "0xD7", "--stdin-control", "--log", log});
  ASSERT_TRUE(sim.ok());
  PtyWire wire(sim.slave_path());
  ASSERT_TRUE(wire.ok());
  ASSERT_EQ(AddressAll(wire), 2);

  // The device that never answers ReadPresetName still answers everything else.
  EXPECT_FALSE(Transact(wire, Frame(kRead, 1, 0xD7, {3})));
  EXPECT_TRUE(Transact(wire, Frame(kRead, 1, 0x84, {0, 0})));
  EXPECT_TRUE(Transact(wire, Frame(kRead, 1, 0xD0, {0})));

  EXPECT_EQ(sim.Control("unplug 2"), "ok");
  EXPECT_FALSE(Transact(wire, Frame(kRead, 2, 0xD0, {0})));
  EXPECT_TRUE(Transact(wire, Frame(kRead, 1, 0xD0, {0})));  // its neighbour is unaffected
  EXPECT_EQ(sim.Control("plug 2"), "ok");
  EXPECT_TRUE(Transact(wire, Frame(kRead, 2, 0xD0, {0})));  // back, with its address

  EXPECT_EQ(sim.Control("unmute-opcode 1 0xD7"), "ok");
  EXPECT_TRUE(Transact(wire, Frame(kRead, 1, 0xD7, {3})));
  EXPECT_EQ(sim.Control("drop 3 0.5").rfind("error:", 0), 0u);  // no device 3
  EXPECT_EQ(sim.Control("drop 1 1.5").rfind("error:", 0), 0u);

  EXPECT_EQ(sim.CloseAndWait(), 0);  // standard input closing ends it cleanly
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("opcode muted (fault)"), std::string::npos);
  EXPECT_NE(text.find("host>  1     ReadPresetName"), std::string::npos);
  std::filesystem::remove(config);
  if (!::testing::Test::HasFailure()) std::filesystem::remove(log);
}

TEST(Faults, TheControlSocketTakesCommandsAndTheLinkAndSocketAreRemovedOnExit) {
  const std::string base = (std::filesystem::temp_directory_path() / ("velmora-" + std::to_string(getpid()))).string();
  const std::string link = base + "-line", socket_path = base + "-ctl";
  {
    SimProcess sim({VELMORA_SIM_BINARY, "--devices", "2", "--link", link, "--control", socket_path, "--stdin-control"});
    ASSERT_TRUE(sim.ok());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.slave_path());

    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string commands = "unplug 2\nstatus\n";
    ASSERT_EQ(write(fd, commands.data(), commands.size()), static_cast<ssize_t>(commands.size()));
    std::string replies;
    char buffer[1024];
    while (std::count(replies.begin(), replies.end(), '\n') < 3) {  // "ok" and two status lines
      pollfd p{fd, POLLIN, 0};
      ASSERT_GT(poll(&p, 1, 5000), 0) << replies;
      const ssize_t got = read(fd, buffer, sizeof buffer);
      ASSERT_GT(got, 0);
      replies.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    EXPECT_EQ(replies.rfind("ok\n", 0), 0u);
    EXPECT_NE(replies.find("2 address=0 name=\"DSP-2\" io=4x4 latency=3.0ms unplugged"), std::string::npos) << replies;
    EXPECT_EQ(sim.CloseAndWait(), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(socket_path)));
}

TEST(SimConfig, ReportsTheLineOfAMistakeInTheConfigFile) {
  SimConfig base;
  const struct { const char* text; const char* reason; } cases[] = {
      {"[device]\ninputs = 9\n", "line 2: inputs must be 1..8"},
      {"[device]\nchip-id = 01 02\n", "line 2: chip-id is 8 hexadecimal bytes"},
      {"[rack]\n", "line 1: unknown section [rack] (use [line] or [device])"},
      {"[device]\ndrop = lots\n", "line 2: drop takes a share between 0 and 1, not \"lots\""},
      {"[line]\nseed = 4\n", "the file describes no [device]"},
      {"[device]\nchip-id = 0101010101010101\n[device]\nchip-id = 0101010101010101\n",
       "devices 1 and 2 have the same chip-id"},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseConfigText(c.text, base, 3 * kMillis);
    EXPECT_FALSE(parsed) << c.text;
    EXPECT_EQ(parsed.error, c.reason);
  }
  const auto good = ParseConfigText("[device]\nname = A\nmute-opcode = 0xD7\njitter = 4\n", base, 3 * kMillis);
  ASSERT_TRUE(good);
  EXPECT_EQ(good.value->devices[0].faults.muted_opcodes.count(0xD7), 1u);
  EXPECT_EQ(good.value->devices[0].faults.jitter, 4 * kMillis);
}

class FaultsInProcess : public testing::LineFixture {};

TEST_F(FaultsInProcess, DropAndCorruptAffectTheGivenShareOfReplies) {
  device().faults().drop = 1.0;
  EXPECT_FALSE(Request(Frame(kRead, 1, 0x84, {0, 0})));
  device().faults() = Faults{};
  device().faults().corrupt = 1.0;
  wire_->Write(Frame(kRead, 1, 0x84, {0, 0}));
  wire_->SleepUntil(wire_->Now() + 100 * kMillis);
  const Bytes read = wire_->Read(256);
  EXPECT_EQ(read.size(), 10u);        // it answered...
  EXPECT_FALSE(ExtractReply(read));   // ...with a checksum the host rejects
}

}  // namespace
}  // namespace velmora::sim
