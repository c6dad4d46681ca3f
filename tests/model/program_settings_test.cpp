#include "model/program_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <utility>

namespace velmora {
namespace {

class FakeLayout : public ConfigSource {
 public:
  FakeLayout& Set(std::string control, std::string attribute, std::string text) {
    attributes_[{std::move(control), std::move(attribute)}] = std::move(text);
    return *this;
  }
  std::optional<std::string> Attribute(std::string_view control,
                                       std::string_view attribute) const override {
    const auto it = attributes_.find({std::string(control), std::string(attribute)});
    if (it == attributes_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<std::pair<std::string, std::string>, std::string> attributes_;
};

class ProgramSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-settings-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string SettingsText() const {
    std::ifstream in(SettingsFilePath(folder_), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path folder_;
};

TEST_F(ProgramSettingsTest, AbsentControlsAndFileKeepEveryDefault) {
  const ProgramSettings s = LoadProgramSettings(FakeLayout{}, folder_);
  EXPECT_EQ(s.language, kLanguageChinese);
  EXPECT_EQ(s.config_baud, 115200u);
  EXPECT_EQ(s.config_scan_time, 5000u);
  EXPECT_EQ(s.config_energy_full, 0u);  // absent: not replaced by 1
  EXPECT_EQ(s.config_energy_min, -96);
  EXPECT_EQ(s.config_reset_frequency[1][7][30], 16000);
}

TEST_F(ProgramSettingsTest, ValuesAreConvertedInTheirBases) {
  FakeLayout layout;
  layout.Set("config_drc_offset", "value", "10")
      .Set("config_limit_offset", "value", " 1f")
      .Set("config_noisegate_offset", "value", "0x20")
      .Set("config_pink_noise_address", "value", "8000ABCD")
      .Set("config_pink_noise_volume", "value", "10")
      .Set("config_energy_full", "value", "0")
      .Set("config_energy_min", "value", "-80dB")
      .Set("config_effects", "max", "512")
      .Set("config_baud", "value", "57600")
      .Set("config_scan_time", "value", "3000");
  const ProgramSettings s = LoadProgramSettings(layout, folder_);
  EXPECT_EQ(s.config_drc_offset, 16u);
  EXPECT_EQ(s.config_limit_offset, 31u);
  EXPECT_EQ(s.config_noisegate_offset, 32u);
  EXPECT_EQ(s.config_pink_noise_address, 0x8000ABCDu);
  EXPECT_EQ(s.config_pink_noise_volume, 10u);
  EXPECT_EQ(s.config_energy_full, 1u);
  EXPECT_EQ(s.config_energy_min, -80);
  EXPECT_EQ(s.config_effects, 512);
  EXPECT_EQ(s.config_baud, 57600u);
  EXPECT_EQ(s.config_scan_time, 3000u);
}

TEST_F(ProgramSettingsTest, ValuesWithoutANumberOrTooLargeKeepTheDefaultAndWarn) {
  FakeLayout layout;
  layout.Set("config_baud", "value", "fast")
      .Set("config_scan_time", "value", "99999999999")
      .Set("config_energy_min", "value", "-5000000000")
      .Set("config_pink_noise_size", "value", "-4");
  std::vector<std::string> warnings;
  const ProgramSettings s = LoadProgramSettings(layout, folder_, &warnings);
  EXPECT_EQ(s.config_baud, 115200u);
  EXPECT_EQ(s.config_scan_time, 5000u);
  EXPECT_EQ(s.config_energy_min, -96);
  EXPECT_EQ(s.config_pink_noise_size, 0u);
  EXPECT_EQ(warnings.size(), 4u);
}

TEST_F(ProgramSettingsTest, ResetFrequencyListsCountOnlyPiecesFollowedByAComma) {
  struct Case {
    const char* text;
    std::vector<std::pair<int, std::int32_t>> bands;  // band -> expected
  };
  const Case cases[] = {
      {"100,200,", {{0, 100}, {1, 200}, {2, 31}}},
      {"100,200", {{0, 100}, {1, 25}}},
      {"10,30000,500,", {{0, 20}, {1, 25}, {2, 500}, {3, 40}}},
      {"", {{0, 20}}},
      {"abc,,20000,", {{0, 20}, {1, 25}, {2, 20000}}},
  };
  for (const Case& c : cases) {
    const auto list = ParseFrequencyList(c.text);
    for (const auto& [band, expected] : c.bands) EXPECT_EQ(list[band], expected) << c.text;
  }
  // 32 pieces: the 32nd has no band to go to.
  std::string long_list;
  for (int b = 0; b < 32; ++b) long_list += std::to_string(1000 + b) + ",";
  EXPECT_EQ(ParseFrequencyList(long_list)[30], 1030);

  FakeLayout layout;
  layout.Set("config_reset_frequency_input_2", "frequency", "100,200,")
      .Set("config_reset_frequency_output_7", "frequency", "300,");
  const ProgramSettings s = LoadProgramSettings(layout, folder_);
  EXPECT_EQ(s.config_reset_frequency[0][2][0], 100);
  EXPECT_EQ(s.config_reset_frequency[0][2][1], 200);
  EXPECT_EQ(s.config_reset_frequency[0][3][0], 20);
  EXPECT_EQ(s.config_reset_frequency[1][7][0], 300);
  EXPECT_EQ(s.config_reset_frequency[1][7][1], 25);
}

TEST_F(ProgramSettingsTest, ToggleLanguageStoresOneThenZero) {
  ProgramSettings s = LoadProgramSettings(FakeLayout{}, folder_);
  ASSERT_TRUE(ToggleLanguage(s, folder_).ok);
  EXPECT_EQ(s.language, kLanguageEnglish);
  EXPECT_EQ(SettingsText(), "[Option]\r\nLanguage=1\r\n");
  EXPECT_EQ(LoadProgramSettings(FakeLayout{}, folder_).language, kLanguageEnglish);
  ASSERT_TRUE(ToggleLanguage(s, folder_).ok);
  EXPECT_EQ(s.language, kLanguageChinese);
  EXPECT_EQ(SettingsText(), "[Option]\r\nLanguage=0\r\n");
}

TEST_F(ProgramSettingsTest, AnyLanguageOtherThanZeroTogglesToZero) {
  std::ofstream(SettingsFilePath(folder_), std::ios::binary) << "[option]\nlanguage=5\n";
  ProgramSettings s = LoadProgramSettings(FakeLayout{}, folder_);
  EXPECT_EQ(s.language, 5);
  ASSERT_TRUE(ToggleLanguage(s, folder_).ok);
  EXPECT_EQ(s.language, 0);
  EXPECT_EQ(SettingsText(), "[option]\nlanguage=0\n");
}

TEST_F(ProgramSettingsTest, LanguageWithoutANumberStaysChinese) {
  std::ofstream(SettingsFilePath(folder_), std::ios::binary) << "[Option]\nLanguage=english\n";
  std::vector<std::string> warnings;
  EXPECT_EQ(LoadProgramSettings(FakeLayout{}, folder_, &warnings).language, kLanguageChinese);
  EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(ProgramSettingsTest, LanguageIsReadThroughAnEightByteBuffer) {
  std::ofstream(SettingsFilePath(folder_), std::ios::binary) << "[Option]\nLanguage=123456789\n";
  EXPECT_EQ(LoadProgramSettings(FakeLayout{}, folder_).language, 1234567);
}

}  // namespace
}  // namespace velmora
