// velmora-cli settings: the program settings as the console reads them from its
// skin, printed for scripts.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/settings/layout_config_source.h"
#include "cli/cli_settings.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int exit_code = -1;
  std::string out;  // standard output only; standard error goes to the test's log
};

CliRun RunSettings(const std::string& args) {
  const std::string command = std::string(VELMORA_CLI_PATH) + " settings " + args + " </dev/null";
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 256> buffer;
  while (std::fgets(buffer.data(), buffer.size(), pipe)) run.out += buffer.data();
  const int status = ::pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

const char* const kSkinValues =
    "config_baud=115200\n"
    "config_scan_time=5000\n"
    "config_effects=64\n"
    "config_pink_noise_address=0x00010000\n"
    "config_pink_noise_size=0x00020000\n"
    "config_pink_noise_volume=128\n"
    "config_energy_full=0x40000000\n"
    "config_energy_min=-96\n"
    "config_drc_offset=0x00000000\n"
    "config_limit_offset=0x00000000\n"
    "config_noisegate_offset=0x00000000\n";

class CliSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velmora-cli-settings-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    std::ofstream(folder_ / "Setting.ini") << "[Option]\nLanguage=1\n";
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(CliSettings, PrintsTheSkinsValuesAndTheLanguage) {
  const CliRun run = RunSettings("--skin " VELMORA_SKIN_DIR " --settings-folder " + folder_.string());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, std::string("language=1\n") + kSkinValues);
}

#ifdef VELMORA_CLI_HAS_SKIN_ZIP
TEST_F(CliSettings, ReadsTheEncryptedSkinArchiveBesideItByDefault) {
  const CliRun run = RunSettings("--settings-folder " + folder_.string());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, std::string("language=1\n") + kSkinValues);
}
#endif

TEST_F(CliSettings, AMissingOrBrokenSkinFailsWithoutPrintingSettings) {
  {
    std::ofstream(folder_ / "broken.zip") << "not an archive";
    fs::create_directories(folder_ / "empty-skin");
  }
  for (const fs::path& skin : {folder_ / "missing", folder_ / "broken.zip", folder_ / "empty-skin"}) {
    const CliRun run = RunSettings("--skin " + skin.string() + " --settings-folder " + folder_.string());
    EXPECT_EQ(run.exit_code, 1) << skin;
    EXPECT_EQ(run.out, "") << skin;
  }
  EXPECT_EQ(RunSettings("extra").exit_code, 2);
}

// Without a skin beside it the CLI falls back to its built-in values: they must
// be the skin's, or its frames would differ from the window's.
TEST(CliSettingsFallback, TheBuiltInValuesAreTheShippedSkins) {
  auto skin = OpenSkinFolder(VELMORA_SKIN_DIR);
  ASSERT_TRUE(skin) << skin.error;
  const SkinSettings read = LoadSkinSettings(*skin.value, fs::temp_directory_path());
  ASSERT_TRUE(read) << read.error;
  ProgramSettings from_skin = read.settings, built_in = cli::BuiltInProgramSettings();
  from_skin.language = built_in.language;
  EXPECT_EQ(built_in.config_baud, from_skin.config_baud);
  EXPECT_EQ(built_in.config_scan_time, from_skin.config_scan_time);
  EXPECT_EQ(built_in.config_effects, from_skin.config_effects);
  EXPECT_EQ(built_in.config_pink_noise_address, from_skin.config_pink_noise_address);
  EXPECT_EQ(built_in.config_pink_noise_size, from_skin.config_pink_noise_size);
  EXPECT_EQ(built_in.config_pink_noise_volume, from_skin.config_pink_noise_volume);
  EXPECT_EQ(built_in.config_energy_full, from_skin.config_energy_full);
  EXPECT_EQ(built_in.config_energy_min, from_skin.config_energy_min);
  EXPECT_EQ(built_in.config_drc_offset, from_skin.config_drc_offset);
  EXPECT_EQ(built_in.config_limit_offset, from_skin.config_limit_offset);
  EXPECT_EQ(built_in.config_noisegate_offset, from_skin.config_noisegate_offset);
  EXPECT_EQ(built_in.config_reset_frequency, from_skin.config_reset_frequency);
}

}  // namespace
}  // namespace velmora
