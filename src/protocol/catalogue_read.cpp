#include "protocol/catalogue_read.h"

#include <algorithm>
#include <string_view>

#include "model/table_access.h"
#include "protocol/catalogue_opcodes.h"

namespace velmora::protocol {

namespace {

constexpr int kFirstByte = 5;  // payload starts here

// The common request: len 8, [5] = [6] = index.
Bytes IndexedRequest(std::uint8_t address, std::uint8_t opcode, std::uint8_t index) {
  CommandFrame f(FrameClass::kRequest, address, opcode);
  f.Byte(index).Byte(index);
  return FinishAs(f, 8);
}

Bytes EqRequest(std::uint8_t address, std::uint8_t opcode, std::uint8_t channel,
                std::uint8_t first) {
  CommandFrame f(FrameClass::kRequest, address, opcode);
  f.Byte(channel).Byte(channel).Byte(first).Byte(Low8(first + 15));
  return FinishAs(f, 10);
}

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return std::clamp(v, lo, hi);
}

ReplyCheck ApplyEq(DeviceRecord& r, ByteView reply, int side, std::uint8_t opcode, int first_band) {
  const ReplyCheck check = CheckReply(reply, opcode, reply_len::kReadEq);
  if (check != ReplyCheck::kApplied) return check;
  for (int k = 0; k < 16; ++k) {
    const int band = first_band + k;
    if (band < 0 || band >= static_cast<int>(kBands)) continue;
    const ByteView rec = reply.subspan(kFirstByte + 10 * static_cast<std::size_t>(k), 10);
    const int channel = rec[0];
    // rec[1] is not read: the bands are counted from the request's first band.
    r.SetEqualizerEnable(side, channel, band, rec[2] != 0);
    r.SetEqualizerGain(side, channel, band, U16At(rec, 3) - 25600);
    r.SetEqualizerFrequence(side, channel, band,
                            Clamp(U16At(rec, 5), kFrequencyMin, kFrequencyMax));
    r.SetEqualizerQ(side, channel, band, Clamp(U16At(rec, 7), kEqQMin, kEqQMax));
    r.SetEqualizerType(side, channel, band, rec[9] == 0 || rec[9] == 0xFF ? kEqPeaking : rec[9]);
  }
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyDelay(DeviceRecord& r, ByteView reply, int side, std::uint8_t opcode) {
  const ReplyCheck check = CheckReply(reply, opcode, reply_len::kReadDelay);
  if (check != ReplyCheck::kApplied) return check;
  const int channel = reply[5];
  TableSet(r.delay_enable, side, channel, reply[6] != 0);
  TableSet(r.delay, side, channel, U16At(reply, 7));
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyPolarity(DeviceRecord& r, ByteView reply, int side, std::uint8_t opcode) {
  const ReplyCheck check = CheckReply(reply, opcode, reply_len::kReadPolarity);
  if (check != ReplyCheck::kApplied) return check;
  TableSet(r.polarity, side, reply[5], reply[7] != 0);
  return ReplyCheck::kApplied;
}

}  // namespace

// Requests ---------------------------------------------------------------

Bytes ReadInputGain(std::uint8_t address, std::uint8_t input) {
  return IndexedRequest(address, op::kReadInputGain, input);
}
Bytes ReadOutputGains(std::uint8_t address) {
  return FinishAs(CommandFrame(FrameClass::kRequest, address, op::kReadOutputGains), 6);
}
Bytes ReadInputEq(std::uint8_t address, std::uint8_t input, std::uint8_t first_band) {
  return EqRequest(address, op::kReadInputEq, input, first_band);
}
Bytes ReadOutputEq(std::uint8_t address, std::uint8_t output, std::uint8_t first_band) {
  return EqRequest(address, op::kReadOutputEq, output, first_band);
}
Bytes ReadNoiseGate(std::uint8_t address, std::uint8_t input) {
  return IndexedRequest(address, op::kReadNoiseGate, input);
}
Bytes ReadInputDelay(std::uint8_t address, std::uint8_t input) {
  return IndexedRequest(address, op::kReadInputDelay, input);
}
Bytes ReadOutputDelay(std::uint8_t address, std::uint8_t output) {
  return IndexedRequest(address, op::kReadOutputDelay, output);
}
Bytes ReadInputPolarity(std::uint8_t address, std::uint8_t input) {
  return IndexedRequest(address, op::kReadInputPolarity, input);
}
Bytes ReadOutputPolarity(std::uint8_t address, std::uint8_t output) {
  return IndexedRequest(address, op::kReadOutputPolarity, output);
}
Bytes ReadMatrixRow(std::uint8_t address, std::uint8_t input) {
  return IndexedRequest(address, op::kReadMatrixRow, input);
}
Bytes ReadOutputFilter(std::uint8_t address, std::uint8_t output, std::uint8_t filter) {
  CommandFrame f(FrameClass::kRequest, address, op::kReadOutputFilter);
  f.Byte(output).Byte(output).Byte(filter);
  return FinishAs(f, 9);
}
Bytes ReadLimiter(std::uint8_t address, std::uint8_t output) {
  return IndexedRequest(address, op::kReadLimiter, output);
}
Bytes ReadCompressor(std::uint8_t address, std::uint8_t output) {
  return IndexedRequest(address, op::kReadCompressor, output);
}
Bytes ReadPresetName(std::uint8_t address, std::uint8_t slot) {
  CommandFrame f(FrameClass::kRequest, address, op::kReadPresetName);
  f.Byte(slot);
  return FinishAs(f, 7);
}
Bytes ReadStatus(std::uint8_t address) {
  CommandFrame f(FrameClass::kRequest, address, op::kReadStatus);
  f.Byte(0);
  return FinishAs(f, 7);
}
Bytes ReadEffectsBlock(std::uint8_t address, std::uint16_t block) {
  CommandFrame f(FrameClass::kRequest, address, op::kReadEffectsBlock);
  f.Le16(block).Byte(0xFF);
  return FinishAs(f, 9);
}

// Replies ----------------------------------------------------------------

ReplyCheck ApplyInputGain(DeviceRecord& r, ByteView reply) {
  const ReplyCheck check = CheckReply(reply, op::kReadInputGain, reply_len::kReadInputGain);
  if (check != ReplyCheck::kApplied) return check;
  const int input = reply[5];
  TableSet(r.mute, kSideInput, input, reply[6] != 0);
  const std::int32_t gain = reply[7] != 0 ? static_cast<std::int16_t>(U16At(reply, 8)) * 10 - 20000
                                          : (reply[8] - 100) * 64;
  TableSet(r.gain, kSideInput, input, gain);
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyOutputGains(DeviceRecord& r, ByteView reply) {
  const ReplyCheck check = CheckReply(reply, op::kReadOutputGains, reply_len::kReadOutputGains);
  if (check != ReplyCheck::kApplied) return check;
  const bool wide_format = (reply[7] & 0x01) != 0;
  for (int i = 0; i < 8; ++i) {
    const std::size_t at = 8 + 2 * static_cast<std::size_t>(i);
    TableSet(r.mute, kSideOutput, i, (reply[6] >> i) & 1);
    TableSet(r.gain, kSideOutput, i,
             wide_format ? (U16At(reply, at) - 2000) * 10 : (reply[at] - 100) * 64);
  }
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyInputEq(DeviceRecord& r, ByteView reply, int first_band) {
  return ApplyEq(r, reply, kSideInput, op::kReadInputEq, first_band);
}
ReplyCheck ApplyOutputEq(DeviceRecord& r, ByteView reply, int first_band) {
  return ApplyEq(r, reply, kSideOutput, op::kReadOutputEq, first_band);
}

ReplyCheck ApplyNoiseGate(DeviceRecord& r, ByteView reply, const ProgramSettings& settings) {
  const ReplyCheck check = CheckReply(reply, op::kReadNoiseGate, reply_len::kReadNoiseGate);
  if (check != ReplyCheck::kApplied) return check;
  const int input = reply[5];
  const std::int64_t offset = settings.config_noisegate_offset;
  TableSet(r.noise_gate_enable, input, reply[6] != 0);
  TableSet(r.noise_gate_start_gate, input, Low32(reply[7] - offset - 200));
  TableSet(r.noise_gate_release_gate, input, Low32(reply[8] - offset - 200));
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyInputDelay(DeviceRecord& r, ByteView reply) {
  return ApplyDelay(r, reply, kSideInput, op::kReadInputDelay);
}
ReplyCheck ApplyOutputDelay(DeviceRecord& r, ByteView reply) {
  return ApplyDelay(r, reply, kSideOutput, op::kReadOutputDelay);
}
ReplyCheck ApplyInputPolarity(DeviceRecord& r, ByteView reply) {
  return ApplyPolarity(r, reply, kSideInput, op::kReadInputPolarity);
}
ReplyCheck ApplyOutputPolarity(DeviceRecord& r, ByteView reply) {
  return ApplyPolarity(r, reply, kSideOutput, op::kReadOutputPolarity);
}

ReplyCheck ApplyMatrixRow(DeviceRecord& r, ByteView reply) {
  const ReplyCheck check = CheckReply(reply, op::kReadMatrixRow, reply_len::kReadMatrixRow);
  if (check != ReplyCheck::kApplied) return check;
  if (reply[7] & 0x01) return ReplyCheck::kIgnored;
  const int input = reply[5];
  for (int j = 0; j < 8; ++j) {
    TableSet(r.router_enable, input, j, ((reply[6] >> j) & 1) == 0);
    TableSet(r.router, input, j, U16At(reply, 8 + 2 * static_cast<std::size_t>(j)));
  }
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyOutputFilter(DeviceRecord& r, ByteView reply, int filter) {
  const ReplyCheck check = CheckReply(reply, op::kReadOutputFilter, reply_len::kReadOutputFilter);
  if (check != ReplyCheck::kApplied) return check;
  const int output = reply[6];
  const FilterShape shape = DecodeFilterShape(reply[8]);
  r.SetFilterEnable(kSideOutput, output, filter, reply[7] != 0);
  r.SetFilterType(kSideOutput, output, filter, shape.type);
  r.SetFilterSlope(kSideOutput, output, filter, shape.slope);
  r.SetFilterFrequence(kSideOutput, output, filter,
                       Clamp(U16At(reply, 9), kFrequencyMin, kFrequencyMax));
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyLimiter(DeviceRecord& r, ByteView reply, const ProgramSettings& settings) {
  const ReplyCheck check = CheckReply(reply, op::kReadLimiter, reply_len::kReadLimiter);
  if (check != ReplyCheck::kApplied) return check;
  const int output = reply[5];
  const std::int64_t threshold = static_cast<std::int8_t>(reply[7]);
  TableSet(r.limit_enable, output, reply[6] != 0);
  TableSet(r.limit_start_gate, output, Low32(threshold - settings.config_limit_offset));
  TableSet(r.limit_release_time, output, U16At(reply, 8));
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyCompressor(DeviceRecord& r, ByteView reply, const ProgramSettings& settings) {
  const ReplyCheck check = CheckReply(reply, op::kReadCompressor, reply_len::kReadCompressor);
  if (check != ReplyCheck::kApplied) return check;
  const int output = reply[5];
  const std::int64_t magnitude = U16At(reply, 11);
  TableSet(r.compressor_enable, output, reply[6] != 0);
  TableSet(r.compressor_start_time, output, U16At(reply, 7));
  TableSet(r.compressor_release_time, output, U16At(reply, 9));
  TableSet(r.compressor_start_gate, output,
           Low32(-magnitude - 10 * static_cast<std::int64_t>(settings.config_drc_offset)));
  TableSet(r.compressor_ratio, output, U16At(reply, 13) / 10);
  return ReplyCheck::kApplied;
}

ReplyCheck ApplyPresetName(DeviceRecord& r, ByteView reply, int slot) {
  const ReplyCheck check =
      CheckReplyAtLeast(reply, op::kReadPresetName, reply_len::kReadPresetNameMin);
  if (check != ReplyCheck::kApplied) return check;
  const ByteView field = reply.subspan(6, 20);  // [6..25]
  const auto end = std::find(field.begin(), field.end(), 0);
  r.SetPresetName(slot, std::string_view(reinterpret_cast<const char*>(field.data()),
                                         static_cast<std::size_t>(end - field.begin())));
  return ReplyCheck::kApplied;
}

StatusReading ApplyStatus(DeviceRecord& r, ByteView reply) {
  StatusReading reading;
  reading.check = CheckReplyAtLeast(reply, op::kReadStatus, reply_len::kReadStatusMin);
  if (reading.check != ReplyCheck::kApplied) return reading;
  reading.online = !(reply[5] == 0xFF && reply[6] == 0xFF && reply[7] == 0xFF && reply[8] == 0xFF);
  r.current_preset = reply[5];
  const std::uint64_t inputs = r.channel_count[0];
  const std::uint64_t outputs = r.channel_count[1];
  if (reply[kOffLength] < 12 + 4 * (inputs + outputs)) return reading;
  auto u32_at = [&](std::uint64_t at) {
    const auto i = static_cast<std::size_t>(at);
    return static_cast<std::int32_t>(reply[i] | (reply[i + 1] << 8) | (reply[i + 2] << 16) |
                                     (static_cast<std::uint32_t>(reply[i + 3]) << 24));
  };
  for (std::uint64_t i = 0; i < inputs && i < kChannels; ++i)
    TableSet(r.energy, kSideInput, static_cast<std::int64_t>(i), u32_at(11 + 4 * i));
  for (std::uint64_t j = 0; j < outputs && j < kChannels; ++j)
    TableSet(r.energy, kSideOutput, static_cast<std::int64_t>(j), u32_at(11 + 4 * inputs + 4 * j));
  reading.energies_read = true;
  return reading;
}

std::optional<ByteView> EffectsBlockData(ByteView reply) {
  if (CheckReplyAtLeast(reply, op::kReadEffectsBlock, reply_len::kReadEffectsBlockMin) !=
      ReplyCheck::kApplied)
    return std::nullopt;
  const std::size_t length = reply[kOffLength];
  return reply.subspan(7, length - 8);
}

}  // namespace velmora::protocol
