#include "protocol/catalogue_write.h"

#include <algorithm>

#include "model/table_access.h"
#include "protocol/catalogue_frame.h"
#include "protocol/catalogue_opcodes.h"

namespace velmora::protocol {

namespace {

constexpr std::uint8_t kAllOutputs = 0x0A;
constexpr std::uint8_t kInverted = 0xB4;  // 180 degrees
constexpr std::uint16_t kUnusedInputGain = 0x0550;

bool InTables(int channel) { return channel >= 0 && channel < static_cast<int>(kChannels); }
int Inputs(const DeviceRecord& r) { return static_cast<int>(ChannelsInTables(r, kSideInput)); }
int Outputs(const DeviceRecord& r) { return static_cast<int>(ChannelsInTables(r, kSideOutput)); }
std::uint8_t Address(const DeviceRecord& r) { return Low8(r.address); }
std::uint8_t ChannelBit(int channel) { return static_cast<std::uint8_t>(1u << channel); }

// Bit i set for each output i whose flag is set.
std::uint8_t OutputBits(const DeviceRecord& r, const PerSide<bool>& flags) {
  std::uint8_t bits = 0;
  for (int i = 0; i < Outputs(r); ++i)
    if (flags[kSideOutput][static_cast<std::size_t>(i)]) bits |= ChannelBit(i);
  return bits;
}

std::optional<Bytes> WriteFilter(const DeviceRecord& r, int c, int filter, std::uint8_t opcode) {
  if (!InTables(c)) return std::nullopt;
  const bool enabled = r.FilterEnable(kSideOutput, c, filter);
  CommandFrame f(FrameClass::kWrite, Address(r), opcode);
  f.Byte(enabled);      // [5]
  f.Byte(kAllOutputs);  // [6]
  f.Byte(Low8(c));      // [7]
  f.Byte(EncodeFilterShape(filter, r.FilterType(kSideOutput, c, filter),
                           r.FilterSlope(kSideOutput, c, filter), enabled));  // [8]
  f.Le16(Low16(r.FilterFrequence(kSideOutput, c, filter)));                   // [9..10]
  return FinishAs(f, 12);
}

}  // namespace

std::uint16_t GainField(std::int32_t gain) { return Low16(gain / 10 + 2000); }

std::uint8_t EqTypeCode(std::int32_t type) {
  if (type == 1) return 0;
  if (type == 2) return 6;
  return Low8(type);
}

// WriteGains -------------------------------------------------------------

std::optional<Bytes> WriteGainsOneInput(const DeviceRecord& r, int c) {
  if (!InTables(c)) return std::nullopt;
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteGains);
  f.Byte(Low8(c));                                     // [5]
  f.Byte(TableGet(r.mute, kSideInput, c));             // [6]
  f.Byte(0x01);                                        // [7]
  f.Le16(GainField(TableGet(r.gain, kSideInput, c)));  // [8..9]
  const int remaining = std::max(Inputs(r) - 1, 0);
  for (int slot = 1; slot < 8; ++slot)  // [10..23]
    f.Le16(slot <= remaining ? kUnusedInputGain : 0);
  f.Byte(0x04).Byte(0x00);  // [24], [25]
  return FinishAs(f, 27);
}

Bytes WriteGainsAllOutputs(const DeviceRecord& r) {
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteGains);
  f.Byte(kAllOutputs);            // [5]
  f.Byte(OutputBits(r, r.mute));  // [6]
  f.Byte(0x01);                   // [7]
  for (int i = 0; i < 8; ++i)     // [8..23]
    f.Le16(i < Outputs(r) ? GainField(r.gain[kSideOutput][static_cast<std::size_t>(i)]) : 0);
  f.Byte(0x04).Byte(0x00);  // [24], [25]
  return FinishAs(f, 27);
}

std::optional<Bytes> WriteGains(const DeviceRecord& r, int side, int channel) {
  if (side == kSideOutput) return WriteGainsAllOutputs(r);
  return WriteGainsOneInput(r, channel);
}

// WriteMatrixRow ---------------------------------------------------------

std::optional<Bytes> WriteMatrixRow(const DeviceRecord& r, int input) {
  if (!InTables(input)) return std::nullopt;
  const auto row = static_cast<std::size_t>(input);
  std::uint8_t off = 0;
  for (int j = 0; j < Outputs(r); ++j)
    if (!r.router_enable[row][static_cast<std::size_t>(j)]) off |= ChannelBit(j);
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteMatrixRow);
  f.Byte(Low8(input));           // [5]
  f.Byte(off);                   // [6]
  f.Byte(0x80);                  // [7]
  for (int j = 0; j < 8; ++j) {  // [8+2j], [9+2j]
    const bool on = j < Outputs(r) && r.router_enable[row][static_cast<std::size_t>(j)];
    f.Byte(on ? Low8(r.router[row][static_cast<std::size_t>(j)]) : 0).Byte(0x00);
  }
  f.Byte(0x04).Byte(0x00);  // [24], [25]
  return FinishAs(f, 27);
}

// WriteDelay -------------------------------------------------------------

std::optional<Bytes> WriteDelayOneInput(const DeviceRecord& r, int c) {
  if (!InTables(c)) return std::nullopt;
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteDelay);
  f.Byte(Low8(c));                                  // [5]
  f.Byte(TableGet(r.delay_enable, kSideInput, c));  // [6]
  f.Le16(Low16(TableGet(r.delay, kSideInput, c)));  // [7..8]
  Zeros(f, 14);                                     // [9..22]
  return FinishAs(f, 24);
}

Bytes WriteDelayAllOutputs(const DeviceRecord& r) {
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteDelay);
  f.Byte(kAllOutputs);                    // [5]
  f.Byte(OutputBits(r, r.delay_enable));  // [6]
  for (int i = 0; i < 8; ++i)             // [7..22]
    f.Le16(i < Outputs(r) ? Low16(r.delay[kSideOutput][static_cast<std::size_t>(i)]) : 0);
  return FinishAs(f, 24);
}

std::optional<Bytes> WriteDelay(const DeviceRecord& r, int side, int channel) {
  if (side == kSideOutput) return WriteDelayAllOutputs(r);
  return WriteDelayOneInput(r, channel);
}

// WriteEqBand ------------------------------------------------------------

std::optional<Bytes> WriteEqBand(const DeviceRecord& r, int side, int c, int band) {
  if ((side != kSideInput && side != kSideOutput) || !InTables(c) || band < 0 ||
      band >= static_cast<int>(kBands))
    return std::nullopt;
  const bool output = side == kSideOutput;
  const std::int32_t type = r.EqualizerType(side, c, band);
  // Type 2 goes out as code 6 with a fixed gain of -12 dB.
  const std::int64_t gain = type == 2 ? -1200 : r.EqualizerGain(side, c, band);
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteEqBand);
  f.Byte(output ? 21 : Low8(2 * c + 1));               // [5] channel code
  f.Byte(Low8(band));                                  // [6]
  f.Byte(r.EqualizerEnable(side, c, band));            // [7]
  f.Le16(Low16(gain + 25600));                         // [8..9]
  f.Le16(Low16(r.EqualizerFrequence(side, c, band)));  // [10..11]
  f.Le16(Low16(r.EqualizerQ(side, c, band)));          // [12..13]
  f.Byte(output ? ChannelBit(c) : 0x01);               // [14]
  f.Byte(0x00);                                        // [15]
  f.Byte(EqTypeCode(type));                            // [16]
  return FinishAs(f, 18);
}

// WriteNoiseGate ---------------------------------------------------------

std::optional<Bytes> WriteNoiseGate(const DeviceRecord& r, int c, const ProgramSettings& settings) {
  if (!InTables(c)) return std::nullopt;
  const std::int64_t offset = settings.config_noisegate_offset;
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteNoiseGate);
  f.Byte(TableGet(r.noise_gate_enable, c));                             // [5]
  f.Byte(Low8(c));                                                      // [6]
  f.Byte(Low8(TableGet(r.noise_gate_start_gate, c) + offset + 200));    // [7]
  f.Byte(Low8(TableGet(r.noise_gate_release_gate, c) + offset + 200));  // [8]
  f.Byte(0xFF);                                                         // [9]
  return FinishAs(f, 11);
}

// WritePolarity ----------------------------------------------------------

std::optional<Bytes> WritePolarityOneInput(const DeviceRecord& r, int c) {
  if (!InTables(c)) return std::nullopt;
  const bool inverted = TableGet(r.polarity, kSideInput, c);
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWritePolarity);
  f.Byte(inverted);                  // [5]
  f.Byte(Low8(c));                   // [6]
  f.Byte(inverted ? kInverted : 0);  // [7]
  Zeros(f, 7);                       // [8..14]
  return FinishAs(f, 16);
}

Bytes WritePolarityAllOutputs(const DeviceRecord& r) {
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWritePolarity);
  f.Byte(OutputBits(r, r.polarity));  // [5]
  f.Byte(kAllOutputs);                // [6]
  for (int i = 0; i < 8; ++i)         // [7..14]
    f.Byte(i < Outputs(r) && r.polarity[kSideOutput][static_cast<std::size_t>(i)] ? kInverted : 0);
  return FinishAs(f, 16);
}

std::optional<Bytes> WritePolarity(const DeviceRecord& r, int side, int channel) {
  if (side == kSideOutput) return WritePolarityAllOutputs(r);
  return WritePolarityOneInput(r, channel);
}

// Filters and dynamics ---------------------------------------------------

std::optional<Bytes> WriteHighPass(const DeviceRecord& r, int c) {
  return WriteFilter(r, c, kHighPass, op::kWriteHighPass);
}
std::optional<Bytes> WriteLowPass(const DeviceRecord& r, int c) {
  return WriteFilter(r, c, kLowPass, op::kWriteLowPass);
}

std::optional<Bytes> WriteLimiter(const DeviceRecord& r, int c, const ProgramSettings& settings) {
  if (!InTables(c)) return std::nullopt;
  const std::int64_t offset = settings.config_limit_offset;
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteLimiter);
  f.Byte(kAllOutputs);                                           // [5]
  f.Byte(TableGet(r.limit_enable, c));                           // [6]
  f.Byte(ChannelBit(c));                                         // [7]
  f.Byte(Low8(TableGet(r.limit_start_gate, c) + offset + 200));  // [8]
  f.Byte(Low8(TableGet(r.limit_release_time, c)));               // [9]
  f.Byte(0x00);                                                  // [10]
  return FinishAs(f, 12);
}

std::optional<Bytes> WriteCompressor(const DeviceRecord& r, int c,
                                     const ProgramSettings& settings) {
  if (!InTables(c)) return std::nullopt;
  const std::int64_t threshold = -static_cast<std::int64_t>(TableGet(r.compressor_start_gate, c)) -
                                 10 * static_cast<std::int64_t>(settings.config_drc_offset);
  CommandFrame f(FrameClass::kWrite, Address(r), op::kWriteCompressor);
  f.Byte(kAllOutputs);                                                             // [5]
  f.Byte(TableGet(r.compressor_enable, c));                                        // [6]
  f.Byte(ChannelBit(c));                                                           // [7]
  f.Le16(Low16(TableGet(r.compressor_start_time, c)));                             // [8..9]
  f.Le16(Low16(TableGet(r.compressor_release_time, c)));                           // [10..11]
  f.Le16(Low16(threshold));                                                        // [12..13] s16
  f.Le16(Low16(static_cast<std::int64_t>(TableGet(r.compressor_ratio, c)) * 10));  // [14..15]
  f.Byte(0x00);                                                                    // [16]
  return FinishAs(f, 18);
}

// PinkNoise --------------------------------------------------------------

std::optional<Bytes> PinkNoise(std::uint8_t address, int input, bool play,
                               const ProgramSettings& settings) {
  if (!InTables(input)) return std::nullopt;
  CommandFrame f(FrameClass::kPinkNoise, address, op::kPinkNoise);
  f.Byte(ChannelBit(input));                        // [5]
  f.Byte(play ? 1 : 0);                             // [6]
  f.Byte(0x03);                                     // [7]
  f.Byte(Low8(settings.config_pink_noise_volume));  // [8]
  Be32(f, settings.config_pink_noise_address);      // [9..12]
  Be32(f, settings.config_pink_noise_size);         // [13..16]
  return FinishAs(f, 18);
}

}  // namespace velmora::protocol
