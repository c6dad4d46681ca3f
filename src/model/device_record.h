#pragma once
// One device's identity and every processing parameter, as the console knows
// them. Pages edit a record first and send afterwards; every reply from the
// device is written into one; files and copies read and write it.
//
// Indexing: side 0 = inputs, 1 = outputs; channel 0..7; band 0..30; filter
// 0 = high-pass, 1 = low-pass. The tables always hold 8 channels per side and
// 31 bands, whatever the device's channel counts; an index outside a table
// reads as 0 (false) and is ignored by the setters.
//
// Units: gains in 0.01 dB, equaliser Q x 100, frequencies in Hz, delays in
// samples (kSamplesPerMs per millisecond), compressor threshold in 0.1 dB;
// the other dynamics values are the device's integers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::size_t kSides = 2;
inline constexpr std::size_t kChannels = 8;
inline constexpr std::size_t kBands = 31;
inline constexpr std::size_t kFilters = 2;
inline constexpr std::size_t kPresetSlots = 17;
inline constexpr std::size_t kPresetNameField = 20;  // bytes, a zero byte included
inline constexpr std::size_t kPresetNameMax = 19;    // characters
inline constexpr std::size_t kDeviceNameMax = 20;    // characters
inline constexpr std::size_t kChipIdSize = 8;
inline constexpr double kSamplesPerMs = 44.1;

inline constexpr int kSideInput = 0;
inline constexpr int kSideOutput = 1;
inline constexpr int kHighPass = 0;
inline constexpr int kLowPass = 1;

// Equaliser band shapes as stored in the record.
inline constexpr int kEqPeaking = 1;
inline constexpr int kEqLowShelf = 6;
inline constexpr int kEqHighShelf = 7;

// Limits the pages enforce on edits (the record itself stores what it is given)
// and the ranges replies are clamped to.
inline constexpr std::int32_t kGainMin = -6400;    // -64.00 dB
inline constexpr std::int32_t kGainMax = 600;      // +6.00 dB
inline constexpr std::int32_t kEqGainMin = -1200;  // -12.00 dB
inline constexpr std::int32_t kEqGainMax = 1200;
inline constexpr std::int32_t kEqQMin = 50;        // Q 0.5
inline constexpr std::int32_t kEqQMax = 12800;     // Q 128
inline constexpr std::int32_t kFrequencyMin = 20;  // Hz
inline constexpr std::int32_t kFrequencyMax = 20000;
inline constexpr std::int32_t kDelayMaxWithoutSlider = 2205;  // 50 ms

using ChipId = std::array<std::uint8_t, kChipIdSize>;

template <typename T>
using PerChannel = std::array<T, kChannels>;
template <typename T>
using PerSide = std::array<PerChannel<T>, kSides>;
template <typename T>
using BandTable = std::array<std::array<std::array<T, kBands>, kChannels>, kSides>;
template <typename T>
using FilterTable = std::array<std::array<std::array<T, kFilters>, kChannels>, kSides>;
template <typename T>
using Matrix = std::array<std::array<T, kChannels>, kChannels>;  // [input][output]

// Default centre frequencies of bands 0..30, in Hz.
inline constexpr std::array<std::int32_t, kBands> kDefaultEqFrequencies = {
    20,  25,   31,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 15000, 16000};

// A valid (filter_type, filter_slope) pair: the twenty entries of the
// filter-type selector, in the selector's order.
struct FilterShape {
  std::int32_t type;
  std::int32_t slope;
};
// clang-format off
inline constexpr std::array<FilterShape, 20> kFilterShapes = {{
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7},
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7},
    {2, 1}, {2, 3}, {2, 5}, {2, 7},
}};
// clang-format on

class DeviceRecord {
 public:
  // Every table gets its default; `name` is cut to kDeviceNameMax characters.
  DeviceRecord(std::uint32_t address, std::optional<ChipId> chip, std::uint32_t inputs,
               std::uint32_t outputs, std::string_view name);

  // Members, in the order of the record's definition (copying copies all of them).
  std::uint32_t address = 0;
  std::array<std::uint32_t, kSides> channel_count{8, 8};
  PerChannel<bool> compressor_enable{};         // outputs
  PerChannel<std::int32_t> compressor_ratio{};  // outputs
  PerChannel<std::int32_t> compressor_release_time{};
  PerChannel<std::int32_t> compressor_start_gate{};  // 0.1 dB
  PerChannel<std::int32_t> compressor_start_time{};
  std::int32_t current_preset = -1;  // -1: none known
  PerSide<std::int32_t> delay{};     // samples
  PerSide<bool> delay_enable{};
  ChipId chip_id{};
  std::array<std::array<char, kPresetNameField>, kPresetSlots> preset_names{};
  PerSide<std::int32_t> energy{};
  BandTable<bool> equalizer_enable{};
  BandTable<std::int32_t> equalizer_frequence{};
  BandTable<std::int32_t> equalizer_gain{};  // 0.01 dB
  std::array<std::uint32_t, kSides> equalizer_band_count{31, 31};
  BandTable<std::int32_t> equalizer_q{};     // Q x 100
  BandTable<std::int32_t> equalizer_type{};  // 1 peaking, 6 low shelf, 7 high shelf
  FilterTable<bool> filter_enable{};
  FilterTable<std::int32_t> filter_frequence{};
  FilterTable<std::int32_t> filter_slope{};  // 0..7
  FilterTable<std::int32_t> filter_type{};   // 0..2
  PerSide<std::int32_t> gain{};              // 0.01 dB
  PerChannel<bool> limit_enable{};           // outputs
  PerChannel<std::int32_t> limit_release_time{};
  PerChannel<std::int32_t> limit_start_gate{};
  PerSide<bool> mute{};
  std::string name;
  PerChannel<bool> noise_gate_enable{};  // inputs
  PerChannel<std::int32_t> noise_gate_release_gate{};
  PerChannel<std::int32_t> noise_gate_release_time{};
  PerChannel<std::int32_t> noise_gate_start_gate{};
  PerChannel<std::int32_t> noise_gate_start_time{};
  PerSide<bool> polarity{};
  Matrix<std::int32_t> router{};
  Matrix<bool> router_enable{};
  bool synchronized = false;

  // Band accessors (side, channel, band).
  std::int32_t EqualizerFrequence(int side, int channel, int band) const;
  std::int32_t EqualizerGain(int side, int channel, int band) const;
  std::int32_t EqualizerQ(int side, int channel, int band) const;
  std::int32_t EqualizerType(int side, int channel, int band) const;
  bool EqualizerEnable(int side, int channel, int band) const;
  void SetEqualizerFrequence(int side, int channel, int band, std::int32_t value);
  void SetEqualizerGain(int side, int channel, int band, std::int32_t value);
  void SetEqualizerQ(int side, int channel, int band, std::int32_t value);
  void SetEqualizerType(int side, int channel, int band, std::int32_t value);
  void SetEqualizerEnable(int side, int channel, int band, bool value);

  // Filter accessors (side, channel, filter 0 high-pass / 1 low-pass).
  std::int32_t FilterFrequence(int side, int channel, int filter) const;
  std::int32_t FilterSlope(int side, int channel, int filter) const;
  std::int32_t FilterType(int side, int channel, int filter) const;
  bool FilterEnable(int side, int channel, int filter) const;
  void SetFilterFrequence(int side, int channel, int filter, std::int32_t value);
  void SetFilterSlope(int side, int channel, int filter, std::int32_t value);
  void SetFilterType(int side, int channel, int filter, std::int32_t value);
  void SetFilterEnable(int side, int channel, int filter, bool value);

  // Clears the slot's field and copies at most kPresetNameMax bytes of `text`
  // (up to its first zero byte), so the field always ends with a zero byte.
  // A slot outside 0..16 is ignored.
  void SetPresetName(int slot, std::string_view text);
  // The slot's text up to its first zero byte; empty for a slot outside 0..16.
  std::string PresetName(int slot) const;

  // Cut to kDeviceNameMax characters.
  void SetName(std::string_view text);

  // "%02X %02X %02X %02X %02X %02X %02X %02X".
  std::string ChipIdText() const;
};

// The number of channels of a side that the record's tables can hold:
// channel_count limited to 8 (a device may report more than the tables have).
std::size_t ChannelsInTables(const DeviceRecord& record, int side);

}  // namespace velmora
