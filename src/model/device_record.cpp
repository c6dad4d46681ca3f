#include "model/device_record.h"

#include <algorithm>
#include <cstdio>

#include "model/table_access.h"

namespace velmora {

DeviceRecord::DeviceRecord(std::uint32_t address_, std::optional<ChipId> chip, std::uint32_t inputs,
                           std::uint32_t outputs, std::string_view name_)
    : address(address_), channel_count{inputs, outputs} {
  if (chip) chip_id = *chip;
  SetName(name_);
  compressor_ratio.fill(1);
  compressor_release_time.fill(5000);
  compressor_start_time.fill(2500);
  limit_release_time.fill(5000);
  limit_start_gate.fill(200);
  noise_gate_release_time.fill(5000);
  noise_gate_start_time.fill(2500);
  for (std::size_t side = 0; side < kSides; ++side) {
    for (std::size_t c = 0; c < kChannels; ++c) {
      equalizer_frequence[side][c] = kDefaultEqFrequencies;
      equalizer_q[side][c].fill(100);
      equalizer_type[side][c].fill(kEqPeaking);
      filter_frequence[side][c] = {20, 20000};
    }
  }
  for (std::size_t i = 0; i < kChannels; ++i) router[i][i] = 100;
}

std::int32_t DeviceRecord::EqualizerFrequence(int s, int c, int b) const {
  return TableGet(equalizer_frequence, s, c, b);
}
std::int32_t DeviceRecord::EqualizerGain(int s, int c, int b) const {
  return TableGet(equalizer_gain, s, c, b);
}
std::int32_t DeviceRecord::EqualizerQ(int s, int c, int b) const {
  return TableGet(equalizer_q, s, c, b);
}
std::int32_t DeviceRecord::EqualizerType(int s, int c, int b) const {
  return TableGet(equalizer_type, s, c, b);
}
bool DeviceRecord::EqualizerEnable(int s, int c, int b) const {
  return TableGet(equalizer_enable, s, c, b);
}
void DeviceRecord::SetEqualizerFrequence(int s, int c, int b, std::int32_t v) {
  TableSet(equalizer_frequence, s, c, b, v);
}
void DeviceRecord::SetEqualizerGain(int s, int c, int b, std::int32_t v) {
  TableSet(equalizer_gain, s, c, b, v);
}
void DeviceRecord::SetEqualizerQ(int s, int c, int b, std::int32_t v) {
  TableSet(equalizer_q, s, c, b, v);
}
void DeviceRecord::SetEqualizerType(int s, int c, int b, std::int32_t v) {
  TableSet(equalizer_type, s, c, b, v);
}
void DeviceRecord::SetEqualizerEnable(int s, int c, int b, bool v) {
  TableSet(equalizer_enable, s, c, b, v);
}

std::int32_t DeviceRecord::FilterFrequence(int s, int c, int f) const {
  return TableGet(filter_frequence, s, c, f);
}
std::int32_t DeviceRecord::FilterSlope(int s, int c, int f) const {
  return TableGet(filter_slope, s, c, f);
}
std::int32_t DeviceRecord::FilterType(int s, int c, int f) const {
  return TableGet(filter_type, s, c, f);
}
bool DeviceRecord::FilterEnable(int s, int c, int f) const {
  return TableGet(filter_enable, s, c, f);
}
void DeviceRecord::SetFilterFrequence(int s, int c, int f, std::int32_t v) {
  TableSet(filter_frequence, s, c, f, v);
}
void DeviceRecord::SetFilterSlope(int s, int c, int f, std::int32_t v) {
  TableSet(filter_slope, s, c, f, v);
}
void DeviceRecord::SetFilterType(int s, int c, int f, std::int32_t v) {
  TableSet(filter_type, s, c, f, v);
}
void DeviceRecord::SetFilterEnable(int s, int c, int f, bool v) {
  TableSet(filter_enable, s, c, f, v);
}

void DeviceRecord::SetPresetName(int slot, std::string_view text) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= kPresetSlots) return;
  auto& field = preset_names[static_cast<std::size_t>(slot)];
  field.fill(0);
  text = text.substr(0, std::min(text.find('\0'), kPresetNameMax));
  std::copy(text.begin(), text.end(), field.begin());
}

std::string DeviceRecord::PresetName(int slot) const {
  if (slot < 0 || static_cast<std::size_t>(slot) >= kPresetSlots) return {};
  const auto& field = preset_names[static_cast<std::size_t>(slot)];
  return std::string(field.begin(), std::find(field.begin(), field.end(), '\0'));
}

void DeviceRecord::SetName(std::string_view text) {
  name = std::string(text.substr(0, kDeviceNameMax));
}

std::string DeviceRecord::ChipIdText() const {
  char text[3 * kChipIdSize] = {};
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X %02X", chip_id[0],
                chip_id[1], chip_id[2], chip_id[3], chip_id[4], chip_id[5], chip_id[6], chip_id[7]);
  return text;
}

std::size_t ChannelsInTables(const DeviceRecord& record, int side) {
  if (side < 0 || side > 1) return 0;
  return std::min<std::size_t>(record.channel_count[static_cast<std::size_t>(side)], kChannels);
}

}  // namespace velmora
