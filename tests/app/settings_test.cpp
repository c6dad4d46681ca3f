// The program settings as the window and the CLI read them: the config_ controls
// of a layout (built controls, or the expanded layout without a window) and the
// folder Setting.ini lives in.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/paint_manager_config_source.h"
#include "app/settings/layout_config_source.h"
#include "app/settings/settings_folder.h"
#include "ui_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace ui;
using ui::testing::Open;
using ui::testing::RecordingWindow;

struct ScratchDir {
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "velmora-settings-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { fs::remove_all(path); }
  fs::path path;
};

// The config block lives in an included file inside a repeat, as a skin may
// arrange it; only the expansion both readers share finds it there.
const char* const kConfigLayout = R"(<Window size="200,100">
  <VerticalLayout name="root">
    <Repeat var="k" count="1">
      <Include source="view/Config.xml"/>
    </Repeat>
  </VerticalLayout>
</Window>)";
const char* const kConfigBlock = R"(<Fragment>
  <VerticalLayout visible="false">
    <Control name="config_baud" value="57600"/>
    <Control name="config_scan_time" value=" 8000"/>
    <Control name="config_effects" max="{32+k}"/>
    <Control name="config_pink_noise_address" value="1A2B"/>
    <Control name="config_pink_noise_volume" value="200"/>
    <Control name="config_energy_full" value="0"/>
    <Control name="config_energy_min" value="-80"/>
    <Control name="config_drc_offset" value="10"/>
    <Control name="config_limit_offset" value="not a number"/>
    <Repeat var="c" count="2">
      <Control name="config_reset_frequency_output_{c+6}" frequency="100,{200+c},"/>
    </Repeat>
  </VerticalLayout>
</Fragment>)";
// Nothing to configure: every member keeps its default.
const char* const kBareLayout = R"(<Window size="200,100"><VerticalLayout name="root"/></Window>)";

void ExpectConfiguredValues(const ProgramSettings& s) {
  EXPECT_EQ(s.config_baud, 57600u);
  EXPECT_EQ(s.config_scan_time, 8000u);
  EXPECT_EQ(s.config_effects, 32);
  EXPECT_EQ(s.config_pink_noise_address, 0x1A2Bu);
  EXPECT_EQ(s.config_pink_noise_size, 0u);  // absent
  EXPECT_EQ(s.config_pink_noise_volume, 200u);
  EXPECT_EQ(s.config_energy_full, 1u);  // 0 becomes 1
  EXPECT_EQ(s.config_energy_min, -80);
  EXPECT_EQ(s.config_drc_offset, 0x10u);  // hexadecimal
  EXPECT_EQ(s.config_limit_offset, 0u);   // no number: the default stays
  EXPECT_EQ(s.config_reset_frequency[1][6][0], 100);
  EXPECT_EQ(s.config_reset_frequency[1][6][1], 200);
  EXPECT_EQ(s.config_reset_frequency[1][7][1], 201);
  EXPECT_EQ(s.config_reset_frequency[1][7][2], kDefaultEqFrequencies[2]);
  EXPECT_EQ(s.config_reset_frequency[0][6], kDefaultEqFrequencies);
}

void ExpectDefaults(const ProgramSettings& s) {
  const ProgramSettings defaults;
  EXPECT_EQ(s.config_baud, defaults.config_baud);
  EXPECT_EQ(s.config_scan_time, defaults.config_scan_time);
  EXPECT_EQ(s.config_energy_full, 0u);  // absent: not replaced by 1
  EXPECT_EQ(s.config_energy_min, -96);
  EXPECT_EQ(s.config_reset_frequency, defaults.config_reset_frequency);
}

TEST(ConfigSources, TheWindowsControlsAndTheExpandedLayoutGiveTheSameSettings) {
  ScratchDir folder;
  { std::ofstream(folder.path / "Setting.ini") << "[Option]\nLanguage=1\n"; }
  ui::testing::UseSkin({{"view/Test.xml", kConfigLayout}, {"view/Config.xml", kConfigBlock},
                        {"view/Bare.xml", kBareLayout}});
  for (const char* layout : {"view/Bare.xml", "view/Test.xml"}) {
    SCOPED_TRACE(layout);
    const bool configured = std::string(layout) == "view/Test.xml";

    RecordingWindow window(layout);
    ASSERT_TRUE(Open(window)) << window.GetLayoutError();
    const ProgramSettings from_controls =
        LoadProgramSettings(PaintManagerConfigSource(window.GetPaintManager()), folder.path);

    const auto load = [](const std::string& path, std::string& text, std::string& error) {
      std::vector<std::uint8_t> bytes;
      if (!CPaintManagerUI::LoadResource(path, bytes, error)) return false;
      text.assign(bytes.begin(), bytes.end());
      return true;
    };
    const layout::ReadResult read = layout::ReadLayout(layout, load);
    ASSERT_TRUE(read) << read.error;
    const ProgramSettings from_layout = LoadProgramSettings(LayoutConfigSource(read.document), folder.path);

    for (const ProgramSettings* s : {&from_controls, &from_layout}) {
      EXPECT_EQ(s->language, 1);
      if (configured) ExpectConfiguredValues(*s);
      else ExpectDefaults(*s);
    }
  }
}

TEST(ConfigSources, TheSkinCarriesTheEmulatorsConfiguration) {
  auto skin = OpenSkinFolder(VELMORA_SKIN_DIR);
  ASSERT_TRUE(skin) << skin.error;
  ScratchDir folder;
  const SkinSettings read = LoadSkinSettings(*skin.value, folder.path);
  ASSERT_TRUE(read) << read.error;
  EXPECT_TRUE(read.warnings.empty()) << read.warnings.front();
  const ProgramSettings& s = read.settings;
  EXPECT_EQ(s.language, 0);
  EXPECT_EQ(s.config_baud, 115200u);
  EXPECT_EQ(s.config_scan_time, 5000u);
  EXPECT_EQ(s.config_energy_full, 0x40000000u);  // the emulator's full scale
  EXPECT_EQ(s.config_effects, 64);               // the emulator's default image
  EXPECT_GT(s.config_pink_noise_volume, 0u);
  EXPECT_LE(s.config_pink_noise_volume, 255u);
  EXPECT_EQ(s.config_reset_frequency, ProgramSettings::DefaultResetFrequencies());
}

TEST(SettingsFolder, BesideTheProgramWhenWritableElseTheUsersConfigFolder) {
  ScratchDir program, user_root;
  const fs::path user = user_root.path / "velmora";
  EXPECT_EQ(ChooseSettingsFolder(program.path, user), program.path);
  EXPECT_FALSE(fs::exists(user));

  // An installed program's folder (read-only even for root here): the user's
  // folder, made on the way.
  EXPECT_EQ(ChooseSettingsFolder("/proc", user), user);
  EXPECT_TRUE(fs::is_directory(user));
  // Neither writable: the program's folder stays; the language is just not kept.
  EXPECT_EQ(ChooseSettingsFolder("/proc", "/proc/velmora"), "/proc");
}

TEST(SettingsFolder, TheUsersFolderFollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string old = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(UserConfigFolder(), fs::path("/somewhere/config/velmora"));
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
  EXPECT_NE(UserConfigFolder(), fs::path("relative/velmora"));
  if (saved) ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace velmora
