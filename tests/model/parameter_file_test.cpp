#include "model/parameter_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

class ParameterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-param-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    path_ = folder_ / "set.ini";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string FileText() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void WriteText(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }

  // The file as (section, [key=value lines]) in file order.
  std::vector<std::pair<std::string, std::vector<std::string>>> Sections() const {
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;
    std::istringstream in(FileText());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.starts_with('['))
        sections.push_back({line.substr(1, line.size() - 2), {}});
      else if (!sections.empty())
        sections.back().second.push_back(line);
    }
    return sections;
  }

  std::filesystem::path folder_;
  std::filesystem::path path_;
};

std::vector<std::string> Keys(const std::vector<std::string>& lines) {
  std::vector<std::string> keys;
  for (const std::string& l : lines) keys.push_back(l.substr(0, l.find('=')));
  return keys;
}

std::vector<std::string> BandKeys() {
  std::vector<std::string> keys;
  for (int b = 0; b < 31; ++b)
    for (const char* k : {"equalizer_enable_", "equalizer_frequence_", "equalizer_gain_",
                          "equalizer_q_", "equalizer_type_"})
      keys.push_back(k + std::to_string(b));
  return keys;
}

TEST_F(ParameterFileTest, WritesExactlyTheSectionsAndKeysOfTheChannelCounts) {
  const DeviceRecord record(1, std::nullopt, 4, 2, "dev");
  ASSERT_TRUE(WriteParameterFile(&record, path_).ok);

  std::vector<std::string> input_keys = {"gain",
                                         "mute",
                                         "polarity",
                                         "delay",
                                         "delay_enable",
                                         "noise_gate_enable",
                                         "noise_gate_release_gate",
                                         "noise_gate_release_time",
                                         "noise_gate_start_gate",
                                         "noise_gate_start_time"};
  std::vector<std::string> output_keys = {"gain",
                                          "mute",
                                          "polarity",
                                          "delay",
                                          "delay_enable",
                                          "compressor_enable",
                                          "compressor_ratio",
                                          "compressor_release_time",
                                          "compressor_start_gate",
                                          "compressor_start_time",
                                          "limit_enable",
                                          "limit_release_time",
                                          "limit_start_gate",
                                          "filter_low_pass_enable",
                                          "filter_low_pass_frequence",
                                          "filter_low_pass_slope",
                                          "filter_low_pass_type",
                                          "filter_high_pass_enable",
                                          "filter_high_pass_frequence",
                                          "filter_high_pass_slope",
                                          "filter_high_pass_type"};
  for (const std::string& k : BandKeys()) {
    input_keys.push_back(k);
    output_keys.push_back(k);
  }
  std::vector<std::string> router_keys;
  for (int i = 0; i < 4; ++i)
    for (int o = 0; o < 2; ++o) {
      const std::string k = "in_" + std::to_string(i) + "_out_" + std::to_string(o);
      router_keys.push_back(k);
      router_keys.push_back(k + "_enable");
    }

  const auto sections = Sections();
  ASSERT_EQ(sections.size(), 7u);
  const char* names[] = {"input 0",  "input 1",  "input 2", "input 3",
                         "output 0", "output 1", "router"};
  for (std::size_t s = 0; s < 7; ++s) EXPECT_EQ(sections[s].first, names[s]);
  for (std::size_t s = 0; s < 4; ++s) EXPECT_EQ(Keys(sections[s].second), input_keys);
  for (std::size_t s = 4; s < 6; ++s) EXPECT_EQ(Keys(sections[s].second), output_keys);
  EXPECT_EQ(Keys(sections[6].second), router_keys);

  // Values: input band type 1 is written as 0, output types unchanged.
  const auto& input0 = sections[0].second;
  const auto& output0 = sections[4].second;
  EXPECT_EQ(input0[0], "gain=0");
  EXPECT_EQ(input0[10 + 4], "equalizer_type_0=0");
  EXPECT_EQ(input0[10 + 1], "equalizer_frequence_0=20");
  EXPECT_EQ(output0[21 + 4], "equalizer_type_0=1");
  EXPECT_EQ(output0[14], "filter_low_pass_frequence=20000");
  EXPECT_EQ(sections[6].second[0], "in_0_out_0=100");
  EXPECT_NE(FileText().find("\r\n"), std::string::npos);  // new files in CRLF
}

TEST_F(ParameterFileTest, MissingBandTypeLoadsPeakingOnInputsAndZeroOnOutputs) {
  DeviceRecord source(1, std::nullopt, 1, 1, "dev");
  source.SetEqualizerType(kSideInput, 0, 3, kEqHighShelf);
  source.SetEqualizerType(kSideOutput, 0, 3, kEqLowShelf);
  ASSERT_TRUE(WriteParameterFile(&source, path_).ok);
  std::string text = FileText();
  for (int n = 0; n < 2; ++n) {
    const std::size_t at = text.find("equalizer_type_3=");
    ASSERT_NE(at, std::string::npos);
    text.erase(at, text.find('\n', at) + 1 - at);
  }
  WriteText(text);

  DeviceRecord loaded(1, std::nullopt, 1, 1, "dev");
  ASSERT_TRUE(ReadParameterFile(&loaded, path_).status.ok);
  EXPECT_EQ(loaded.EqualizerType(kSideInput, 0, 3), kEqPeaking);
  EXPECT_EQ(loaded.EqualizerType(kSideOutput, 0, 3), 0);
  EXPECT_EQ(loaded.EqualizerType(kSideInput, 0, 2), kEqPeaking);  // written as 0, read as 1
  EXPECT_EQ(loaded.EqualizerType(kSideOutput, 0, 2), kEqPeaking);
}

TEST_F(ParameterFileTest, WriteThenReadGivesBackEveryListedMember) {
  std::mt19937 rng(20261211);
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto flag = [&] { return num(0, 1) == 1; };
  const int input_types[] = {kEqPeaking, kEqLowShelf, kEqHighShelf};
  const int output_types[] = {0, kEqPeaking, kEqLowShelf, kEqHighShelf};

  DeviceRecord a(5, std::nullopt, 8, 8, "source");
  for (int s = 0; s < 2; ++s) {
    for (std::size_t c = 0; c < 8; ++c) {
      a.gain[s][c] = num(-6400, 600);
      a.mute[s][c] = flag();
      a.polarity[s][c] = flag();
      a.delay[s][c] = num(0, 2205);
      a.delay_enable[s][c] = flag();
      for (int b = 0; b < 31; ++b) {
        const int ci = static_cast<int>(c);
        a.SetEqualizerEnable(s, ci, b, flag());
        a.SetEqualizerFrequence(s, ci, b, num(20, 20000));
        a.SetEqualizerGain(s, ci, b, num(-1200, 1200));
        a.SetEqualizerQ(s, ci, b, num(50, 12800));
        a.SetEqualizerType(s, ci, b, s == 0 ? input_types[num(0, 2)] : output_types[num(0, 3)]);
      }
    }
  }
  for (std::size_t c = 0; c < 8; ++c) {
    a.noise_gate_enable[c] = flag();
    a.noise_gate_release_gate[c] = num(-100, 0);
    a.noise_gate_release_time[c] = num(0, 10000);
    a.noise_gate_start_gate[c] = num(-100, 0);
    a.noise_gate_start_time[c] = num(0, 10000);
    a.compressor_enable[c] = flag();
    a.compressor_ratio[c] = num(1, 20);
    a.compressor_release_time[c] = num(0, 10000);
    a.compressor_start_gate[c] = num(-600, 0);
    a.compressor_start_time[c] = num(0, 10000);
    a.limit_enable[c] = flag();
    a.limit_release_time[c] = num(0, 255);
    a.limit_start_gate[c] = num(-50, 50);
    for (int f = 0; f < 2; ++f) {
      const FilterShape shape = kFilterShapes[static_cast<std::size_t>(num(0, 19))];
      a.filter_enable[1][c][f] = flag();
      a.filter_frequence[1][c][f] = num(20, 20000);
      a.filter_type[1][c][f] = shape.type;
      a.filter_slope[1][c][f] = shape.slope;
    }
    for (std::size_t o = 0; o < 8; ++o) {
      a.router[c][o] = num(0, 100);
      a.router_enable[c][o] = flag();
    }
  }
  ASSERT_TRUE(WriteParameterFile(&a, path_).ok);

  DeviceRecord b(9, std::nullopt, 8, 8, "target");
  const auto read = ReadParameterFile(&b, path_);
  ASSERT_TRUE(read.status.ok) << read.status.reason;
  EXPECT_EQ(read.clamped_values, 0u);

  EXPECT_EQ(b.gain, a.gain);
  EXPECT_EQ(b.mute, a.mute);
  EXPECT_EQ(b.polarity, a.polarity);
  EXPECT_EQ(b.delay, a.delay);
  EXPECT_EQ(b.delay_enable, a.delay_enable);
  EXPECT_EQ(b.equalizer_enable, a.equalizer_enable);
  EXPECT_EQ(b.equalizer_frequence, a.equalizer_frequence);
  EXPECT_EQ(b.equalizer_gain, a.equalizer_gain);
  EXPECT_EQ(b.equalizer_q, a.equalizer_q);
  EXPECT_EQ(b.equalizer_type, a.equalizer_type);
  EXPECT_EQ(b.noise_gate_enable, a.noise_gate_enable);
  EXPECT_EQ(b.noise_gate_release_gate, a.noise_gate_release_gate);
  EXPECT_EQ(b.noise_gate_release_time, a.noise_gate_release_time);
  EXPECT_EQ(b.noise_gate_start_gate, a.noise_gate_start_gate);
  EXPECT_EQ(b.noise_gate_start_time, a.noise_gate_start_time);
  EXPECT_EQ(b.compressor_enable, a.compressor_enable);
  EXPECT_EQ(b.compressor_ratio, a.compressor_ratio);
  EXPECT_EQ(b.compressor_release_time, a.compressor_release_time);
  EXPECT_EQ(b.compressor_start_gate, a.compressor_start_gate);
  EXPECT_EQ(b.compressor_start_time, a.compressor_start_time);
  EXPECT_EQ(b.limit_enable, a.limit_enable);
  EXPECT_EQ(b.limit_release_time, a.limit_release_time);
  EXPECT_EQ(b.limit_start_gate, a.limit_start_gate);
  EXPECT_EQ(b.filter_enable[1], a.filter_enable[1]);
  EXPECT_EQ(b.filter_frequence[1], a.filter_frequence[1]);
  EXPECT_EQ(b.filter_type[1], a.filter_type[1]);
  EXPECT_EQ(b.filter_slope[1], a.filter_slope[1]);
  EXPECT_EQ(b.router, a.router);
  EXPECT_EQ(b.router_enable, a.router_enable);
  // Identity is not in the file.
  EXPECT_EQ(b.address, 9u);
  EXPECT_EQ(b.name, "target");
}

TEST_F(ParameterFileTest, IndependentKeysFillOnlyTheirOwnMember) {
  DeviceRecord r(1, std::nullopt, 1, 1, "dev");
  ASSERT_TRUE(WriteParameterFile(&r, path_).ok);
  std::string text = FileText();
  auto set = [&text](const std::string& section, const std::string& key, const std::string& value) {
    const std::size_t in = text.find("[" + section + "]");
    const std::size_t at = text.find("\n" + key + "=", in) + 1;
    const std::size_t end = text.find('\r', at);
    text.replace(at, end - at, key + "=" + value);
  };
  set("input 0", "noise_gate_start_gate", "-11");
  set("input 0", "noise_gate_release_time", "22");
  set("output 0", "filter_low_pass_enable", "1");
  set("output 0", "filter_high_pass_enable", "0");
  set("output 0", "mute", "  7 ");
  WriteText(text);

  r.SetFilterEnable(kSideOutput, 0, kHighPass, true);
  ASSERT_TRUE(ReadParameterFile(&r, path_).status.ok);
  EXPECT_EQ(r.noise_gate_start_gate[0], -11);
  EXPECT_EQ(r.noise_gate_release_gate[0], 0);
  EXPECT_EQ(r.noise_gate_release_time[0], 22);
  EXPECT_EQ(r.noise_gate_start_time[0], 2500);
  EXPECT_TRUE(r.FilterEnable(kSideOutput, 0, kLowPass));
  EXPECT_FALSE(r.FilterEnable(kSideOutput, 0, kHighPass));
  EXPECT_TRUE(r.mute[kSideOutput][0]);  // any nonzero number is true
}

TEST_F(ParameterFileTest, MissingOrForeignFilesAreRefusedAndLeaveTheRecord) {
  DeviceRecord r(1, std::nullopt, 2, 2, "dev");
  r.gain[0][0] = 123;
  const auto missing = ReadParameterFile(&r, folder_ / "none.ini");
  EXPECT_FALSE(missing.status.ok);
  EXPECT_FALSE(missing.status.reason.empty());

  WriteText("This is a shopping list, not a parameter file.\n[groceries]\nmilk=2\n");
  const auto foreign = ReadParameterFile(&r, path_);
  EXPECT_FALSE(foreign.status.ok);
  EXPECT_EQ(r.gain[0][0], 123);
  EXPECT_EQ(r.EqualizerFrequence(0, 0, 0), 20);

  EXPECT_TRUE(ReadParameterFile(nullptr, path_).status.ok);  // no record: nothing to do
  EXPECT_TRUE(WriteParameterFile(nullptr, path_).ok);
  EXPECT_TRUE(WriteParameterFile(&r, "").ok);
}

TEST_F(ParameterFileTest, ChannelsBeyondTheTablesAreWrittenAsZeroAndSkippedOnReading) {
  DeviceRecord r(1, std::nullopt, 10, 1, "wide");
  r.equalizer_band_count = {32, 31};
  ASSERT_TRUE(WriteParameterFile(&r, path_).ok);
  const auto sections = Sections();
  ASSERT_GE(sections.size(), 10u);
  EXPECT_EQ(sections[9].first, "input 9");
  EXPECT_EQ(sections[9].second[0], "gain=0");
  EXPECT_EQ(sections[0].second.back(), "equalizer_type_31=0");  // band 31 is outside the table

  std::string text = FileText();
  const std::size_t at = text.find("[input 9]\r\ngain=0");
  text.replace(at, 17, "[input 9]\r\ngain=5");
  WriteText(text);
  ASSERT_TRUE(ReadParameterFile(&r, path_).status.ok);
  EXPECT_EQ(r.gain[0][7], 0);
}

TEST_F(ParameterFileTest, NumbersBeyondThirtyTwoBitsAreClampedAndCounted) {
  DeviceRecord r(1, std::nullopt, 1, 1, "dev");
  WriteText("[input 0]\ngain=99999999999\ndelay=-99999999999\n");
  const auto read = ReadParameterFile(&r, path_);
  ASSERT_TRUE(read.status.ok);
  EXPECT_EQ(read.clamped_values, 2u);
  EXPECT_EQ(r.gain[0][0], 2147483647);
  EXPECT_EQ(r.delay[0][0], -2147483647 - 1);
  // Keys the file lacks read as 0.
  EXPECT_EQ(r.EqualizerFrequence(0, 0, 5), 0);
  EXPECT_EQ(r.router[0][0], 0);
}

TEST_F(ParameterFileTest, WritingOverAnExistingFileKeepsItsOtherLines) {
  WriteText("; saved for the north hall\n[notes]\nby=tech\n[input 0]\ngain=5\n");
  const DeviceRecord r(1, std::nullopt, 1, 1, "dev");
  ASSERT_TRUE(WriteParameterFile(&r, path_).ok);
  const std::string text = FileText();
  EXPECT_TRUE(
      text.starts_with("; saved for the north hall\n[notes]\nby=tech\n[input 0]\ngain=0\n"));
  EXPECT_EQ(text.find('\r'), std::string::npos);  // the file's LF style is kept
}

}  // namespace
}  // namespace velmora
