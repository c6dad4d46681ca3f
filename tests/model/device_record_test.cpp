#include "model/device_record.h"

#include <gtest/gtest.h>

#include "model/device_list.h"

namespace velmora {
namespace {

TEST(DeviceRecord, DefaultsFollowTheRecordTable) {
  const ChipId chip = {0x01, 0xAB, 0x00, 0xFF, 0x10, 0x20, 0x30, 0x40};
  const DeviceRecord r(3, chip, 4, 2, "Stage left");
  EXPECT_EQ(r.address, 3u);
  EXPECT_EQ(r.channel_count, (std::array<std::uint32_t, 2>{4, 2}));
  EXPECT_EQ(r.ChipIdText(), "01 AB 00 FF 10 20 30 40");
  EXPECT_EQ(r.name, "Stage left");
  EXPECT_EQ(r.current_preset, -1);
  EXPECT_FALSE(r.synchronized);
  EXPECT_EQ(r.equalizer_band_count, (std::array<std::uint32_t, 2>{31, 31}));
  for (int side = 0; side < 2; ++side) {
    // Tables always hold 8 channels, whatever the device reports.
    for (int c = 0; c < 8; ++c) {
      EXPECT_EQ(r.EqualizerFrequence(side, c, 0), 20);
      EXPECT_EQ(r.EqualizerFrequence(side, c, 28), 12500);
      EXPECT_EQ(r.EqualizerFrequence(side, c, 29), 15000);
      EXPECT_EQ(r.EqualizerFrequence(side, c, 30), 16000);
      EXPECT_EQ(r.EqualizerQ(side, c, 17), 100);
      EXPECT_EQ(r.EqualizerType(side, c, 5), kEqPeaking);
      EXPECT_EQ(r.FilterFrequence(side, c, kHighPass), 20);
      EXPECT_EQ(r.FilterFrequence(side, c, kLowPass), 20000);
    }
  }
  EXPECT_EQ(r.compressor_ratio[7], 1);
  EXPECT_EQ(r.compressor_release_time[0], 5000);
  EXPECT_EQ(r.compressor_start_time[0], 2500);
  EXPECT_EQ(r.limit_start_gate[3], 200);
  EXPECT_EQ(r.noise_gate_start_time[5], 2500);
  EXPECT_EQ(r.noise_gate_release_time[5], 5000);
  for (int i = 0; i < 8; ++i)
    for (int o = 0; o < 8; ++o) EXPECT_EQ(r.router[i][o], i == o ? 100 : 0);

  const DeviceRecord anonymous(1, std::nullopt, 8, 8, "x");
  EXPECT_EQ(anonymous.ChipIdText(), "00 00 00 00 00 00 00 00");
}

TEST(DeviceRecord, AccessorsIgnoreIndicesOutsideTheTables) {
  DeviceRecord r(1, std::nullopt, 8, 8, "d");
  const int outside[][3] = {{2, 0, 0}, {-1, 0, 0}, {0, 8, 0}, {0, -1, 0}, {0, 0, 31}, {1, 0, -1}};
  for (const auto& i : outside) {
    r.SetEqualizerGain(i[0], i[1], i[2], 77);
    r.SetEqualizerEnable(i[0], i[1], i[2], true);
    EXPECT_EQ(r.EqualizerGain(i[0], i[1], i[2]), 0);
    EXPECT_EQ(r.EqualizerFrequence(i[0], i[1], i[2]), 0);
    EXPECT_FALSE(r.EqualizerEnable(i[0], i[1], i[2]));
    r.SetFilterSlope(i[0], i[1], i[2] == 0 ? 2 : i[2], 5);
    EXPECT_EQ(r.FilterSlope(i[0], i[1], i[2] == 0 ? 2 : i[2]), 0);
  }
  r.SetEqualizerGain(1, 7, 30, -1200);
  EXPECT_EQ(r.EqualizerGain(1, 7, 30), -1200);
  r.SetFilterType(1, 3, kLowPass, 2);
  EXPECT_EQ(r.FilterType(1, 3, kLowPass), 2);
  EXPECT_EQ(r.FilterType(1, 3, kHighPass), 0);
}

TEST(DeviceRecord, PresetNameKeepsNineteenCharactersAndAZero) {
  DeviceRecord r(1, std::nullopt, 8, 8, "d");
  r.SetPresetName(2, "ABCDEFGHIJKLMNOPQRSTUVWXY");  // 25 characters
  EXPECT_EQ(r.PresetName(2), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(r.preset_names[2][19], '\0');
  r.SetPresetName(2, "Hi");
  EXPECT_EQ(r.PresetName(2), "Hi");
  EXPECT_EQ(r.preset_names[2][2], '\0');  // the old text is cleared
  r.SetPresetName(17, "ignored");
  r.SetPresetName(-1, "ignored");
  EXPECT_EQ(r.PresetName(17), "");
  for (int slot = 0; slot < 17; ++slot)
    if (slot != 2) {
      EXPECT_EQ(r.PresetName(slot), "");
    }
}

TEST(DeviceRecord, NameIsCutToTwentyCharacters) {
  const DeviceRecord r(1, std::nullopt, 8, 8, "123456789012345678901234");
  EXPECT_EQ(r.name, "12345678901234567890");
}

TEST(DeviceRecord, CopyCarriesIdentityAndParameters) {
  DeviceRecord a(2, ChipId{1, 2, 3, 4, 5, 6, 7, 8}, 4, 4, "A");
  a.SetEqualizerQ(0, 1, 2, 400);
  a.synchronized = true;
  a.SetPresetName(0, "P0");
  const DeviceRecord b = a;
  EXPECT_EQ(b.address, 2u);
  EXPECT_EQ(b.chip_id, a.chip_id);
  EXPECT_EQ(b.EqualizerQ(0, 1, 2), 400);
  EXPECT_TRUE(b.synchronized);
  EXPECT_EQ(b.PresetName(0), "P0");
}

TEST(DeviceList, AddressesFollowScanOrderAndBandCountsAboveTheTablesAreRefused) {
  DeviceList list;
  AppendDiscoveredDevice(list, ChipId{1}, 4, 4, "first", {});
  AppendDiscoveredDevice(list, ChipId{2}, 8, 8, "second", {20, 40});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].address, 1u);
  EXPECT_EQ(list[1].address, 2u);
  EXPECT_EQ(list[1].equalizer_band_count, (std::array<std::uint32_t, 2>{20, 31}));
  EXPECT_EQ(list[0].channel_count, (std::array<std::uint32_t, 2>{4, 4}));
}

TEST(DeviceList, CurrentDeviceIsSelectionPlaceholderOrNone) {
  DeviceRecord placeholder = MakePlaceholderRecord();
  EXPECT_EQ(placeholder.address, 0u);
  EXPECT_EQ(placeholder.name, "offline");
  EXPECT_EQ(placeholder.channel_count, (std::array<std::uint32_t, 2>{8, 8}));

  DeviceList list;
  EXPECT_EQ(CurrentDevice(list, placeholder, 0), &placeholder);
  EXPECT_EQ(CurrentDevice(list, placeholder, 1), &placeholder);

  AppendDiscoveredDevice(list, ChipId{}, 8, 8, "a", {});
  AppendDiscoveredDevice(list, ChipId{}, 8, 8, "b", {});
  EXPECT_EQ(CurrentDevice(list, placeholder, 2), &list[1]);
  EXPECT_EQ(CurrentDevice(list, placeholder, 1), &list[0]);
  for (const std::int64_t none : {0, -1, 3})
    EXPECT_EQ(CurrentDevice(list, placeholder, none), nullptr) << none;
}

TEST(DeviceList, FindDeviceTakesTheLastRecordWithTheAddress) {
  DeviceList list;
  AppendDiscoveredDevice(list, ChipId{}, 8, 8, "a", {});
  AppendDiscoveredDevice(list, ChipId{}, 8, 8, "b", {});
  list[0].address = 2;
  EXPECT_EQ(FindDevice(list, 2), &list[1]);
  EXPECT_EQ(FindDevice(list, 9), nullptr);
}

}  // namespace
}  // namespace velmora
