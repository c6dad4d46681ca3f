// velmora-cli as a user runs it: a separate process, its exit code and output.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "link/frame.h"
#include "scripted_peer.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int exit_code = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs velmora-cli with no standard input, as in CI.
CliRun RunCli(const std::vector<std::string>& args) {
  const fs::path dir = fs::temp_directory_path() / ("velmora-cli-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "out", err = dir / "err";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in_fd = ::open("/dev/null", O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    std::vector<char*> argv{const_cast<char*>(VELMORA_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VELMORA_CLI_PATH, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
  fs::remove_all(dir);
  return run;
}

TEST(VelmoraCli, BadArgumentsPrintUsageAndExit2) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"send", "A5", "06", "F2", "00", "E1", "D9"},                       // no --port
      {"send", "--port", "/dev/null"},                                     // no bytes
      {"send", "--port", "/dev/null", "A5", "zz"},                          // not hex
      {"send", "--port", "/dev/null", "A5", "07", "F2", "00", "E1", "D9"},  // length byte wrong
      {"send", "--port", "/dev/null", "--fill", "A5", "00", "F7"},          // too short to fill
      {"send", "--port", "/dev/null", "--baud", "fast", "--fill", "A5", "00", "F7", "01", "D0"},
      {"send", "--port"},                                                   // option without value
      {"monitor", "--port", "/dev/null", "--colour"},
      {"upload", "--port", "/dev/null", "fw.bin"},                          // no --address
      {"upload", "--port", "/dev/null", "--address", "0", "fw.bin"},
      {"upload", "--port", "/dev/null", "--address", "1", "--kind", "boot", "fw.bin"},
      {"upload", "--port", "/dev/null", "--address", "1"},                  // no file
      {"ports", "extra"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    SCOPED_TRACE(line);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find("usage: velmora-cli"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(VelmoraCli, APortThatCannotBeOpenedIsExplainedWithExit1) {
  const CliRun run = RunCli({"send", "--port", "/dev/velmora-no-such-port", "--fill", "A5", "00", "F7", "01", "D0"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("cannot open /dev/velmora-no-such-port: no such port"), std::string::npos) << run.err;
}

TEST(VelmoraCli, SendFillsTheFrameAndPrintsTheReply) {
  auto peer = testing::MakePtyPeer();
  const Bytes status = {0xA5, 0x08, 0xF7, 0x01, 0xD0, 0x00, 0x00, 0xD0};
  peer->OnFrame([&](const Bytes& frame) -> Bytes {
    if (frame != status) return {};
    return {0xA5, 0x0D, 0xF8, 0x01, 0xD0, 1, 2, 3, 4, 5, 6, 7, 0xF2};
  });
  const CliRun run = RunCli({"send", "--port", peer->port_name(), "--fill", "A5", "00", "F7", "01", "D0", "00", "00"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "A5 0D F8 01 D0 01 02 03 04 05 06 07 F2\n");
  EXPECT_EQ(peer->frames(), std::vector<Bytes>{status});
}

TEST(VelmoraCli, SendToASilentDeviceSaysNoReplyAfterTheRetry) {
  auto peer = testing::MakePtyPeer();
  const CliRun run = RunCli({"send", "--port", peer->port_name(), "A5", "06", "F7", "02", "81", "80"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "no reply\n");
  EXPECT_TRUE(peer->WaitForFrames(2));
  EXPECT_EQ(peer->frame_count(), 2u);
}

}  // namespace
}  // namespace velmora
