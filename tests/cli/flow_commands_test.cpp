// velmora-cli scan, read, write and meters as a user runs them: the program
// against velmora-sim on a pseudo-terminal, its output and exit status.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CliAgainstEmulator : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/velmora-cli-flows-XXXXXX";
    dir_ = mkdtemp(dir);
    std::ofstream(dir_ / "line.ini") << "[device]\nname = Booth\ninputs = 1\noutputs = 1\nlatency = 1\n"
                                        "[device]\nname = Foyer\ninputs = 2\noutputs = 1\nlatency = 1\n";
    tty_ = dir_ / "tty";
    const std::string config = (dir_ / "line.ini").string(), link = tty_.string();
    const char* argv[] = {VELMORA_SIM_BINARY, "--config", config.c_str(), "--link", link.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ASSERT_EQ(posix_spawn(&sim_, VELMORA_SIM_BINARY, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 100 && !fs::exists(tty_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(fs::exists(tty_));
  }
  void TearDown() override {
    if (sim_ > 0) {
      kill(sim_, SIGTERM);
      waitpid(sim_, nullptr, 0);
    }
    fs::remove_all(dir_);
  }

  CliRun Cli(std::vector<std::string> args) {
    CliRun run;
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    std::vector<char*> argv{const_cast<char*>(VELMORA_CLI_BINARY)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, VELMORA_CLI_BINARY, &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
  }

  fs::path dir_, tty_;
  pid_t sim_ = -1;
};

TEST_F(CliAgainstEmulator, ScanPrintsOneLinePerDeviceAfterTheScanResultOnStderr) {
  const CliRun run = Cli({"scan", "--port", tty_.string(), "--time", "2000"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("scan: 2 devices found"), std::string::npos) << run.err;
  // address, chip id, name, inputs x outputs; the order is the order of answers
  EXPECT_NE(run.out.find("\tBooth\t1x1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\tFoyer\t2x1\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.rfind("1\t", 0), 0u);
  EXPECT_NE(run.out.find("\n2\t"), std::string::npos);
}

TEST_F(CliAgainstEmulator, ReadSavesAParameterFileThatWriteSendsBack) {
  const std::string file = (dir_ / "device.ini").string();
  const CliRun read_run = Cli({"read", "--port", tty_.string(), "--time", "2000", "--address", "1", "--out", file});
  ASSERT_EQ(read_run.status, 0) << read_run.err;
  const std::string text = Slurp(file);
  EXPECT_NE(text.find("[input 0]"), std::string::npos);
  EXPECT_NE(text.find("[router]"), std::string::npos);

  const CliRun write = Cli({"write", "--port", tty_.string(), "--time", "2000", "--address", "1", file});
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_NE(write.err.find("wrote"), std::string::npos) << write.err;
}

TEST_F(CliAgainstEmulator, MetersPrintsEveryDeviceOncePerRound) {
  const CliRun run = Cli({"meters", "--port", tty_.string(), "--time", "2000", "--count", "2"});
  EXPECT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_NE(line.find("\tonline\tin "), std::string::npos) << line;
    EXPECT_NE(line.find(" dBv"), std::string::npos) << line;
  }
  EXPECT_EQ(count, 4);  // two rounds of two devices
}

TEST_F(CliAgainstEmulator, ClearMessagesForNoPortNoDeviceAndAnUnreadableFile) {
  CliRun run = Cli({"read", "--port", (dir_ / "missing").string(), "--address", "1", "--out", "x.ini"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot open"), std::string::npos) << run.err;

  run = Cli({"write", "--port", tty_.string(), "--address", "1", (dir_ / "missing.ini").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read"), std::string::npos) << run.err;

  run = Cli({"read", "--port", tty_.string(), "--time", "1000", "--address", "9", "--out", "x.ini"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("scan:"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("no device at address 9"), std::string::npos) << run.err;

  run = Cli({"read", "--port", tty_.string()});
  EXPECT_EQ(run.status, 2);  // usage
}

}  // namespace
