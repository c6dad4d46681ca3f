// Parameter reads (class 0xF7): each reply carries the store's values in the
// wire form the console decodes, so a read after a write gives back what was
// written.
#include <algorithm>

#include "sim/device.h"
#include "sim/opcodes.h"

namespace velmora::sim {

namespace {
// The gain field of the "format 1" encoding: tenths of a dB plus 2000.
std::uint16_t GainField(int hundredths) { return static_cast<std::uint16_t>(hundredths / 10 + 2000); }

std::uint8_t ShapeByte(const Filter& filter) {
  // Read back as type = high nibble, slope = (byte & 0x0E) + 1 for type 2,
  // else (byte >> 1) & 7. Never 0xFF, which reads as 0.
  if (filter.type == 2) return static_cast<std::uint8_t>(0x20 | ((filter.slope - 1) & 0x0E));
  return static_cast<std::uint8_t>((filter.type & 0x0F) << 4 | (filter.slope & 7) << 1);
}

CommandFrame ReplyTo(const Bytes& request) {
  return CommandFrame(FrameClass::kReply, request[kOffAddress], request[kOffOpcode]);
}
}  // namespace

std::optional<Bytes> Device::ReadChannelParameter(const Frame& f) {
  const std::uint8_t opcode = f[kOffOpcode];
  const ParameterSet& set = store_.current();
  const int index = f.size() > 5 ? f[5] : 0;
  const bool input_read = opcode == op::kReadInputGain || opcode == op::kReadNoiseGate ||
                          opcode == op::kReadInputDelay || opcode == op::kReadInputPolarity ||
                          opcode == op::kReadMatrixRow;
  const int count = input_read ? setup_.inputs : setup_.outputs;
  // A channel the device does not have is not answered.
  if (opcode != op::kReadOutputGains && (f.size() < 8 || index >= count)) return std::nullopt;
  const auto ch = static_cast<std::size_t>(index);
  CommandFrame reply = ReplyTo(f);

  switch (opcode) {
    case op::kReadInputGain: {
      const InputChannel& in = set.inputs[ch];
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(in.mute).Byte(0x01).Le16(GainField(in.gain));
      break;
    }
    case op::kReadOutputGains: {
      std::uint8_t mutes = 0;
      for (int j = 0; j < setup_.outputs; ++j)
        if (set.outputs[static_cast<std::size_t>(j)].mute) mutes |= static_cast<std::uint8_t>(1u << j);
      reply.Byte(0x0A).Byte(mutes).Byte(0x01);
      for (int j = 0; j < kMaxChannels; ++j) reply.Le16(GainField(set.outputs[static_cast<std::size_t>(j)].gain));
      break;
    }
    case op::kReadNoiseGate: {
      const InputChannel& in = set.inputs[ch];
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(in.gate_enable)
          .Byte(static_cast<std::uint8_t>(in.gate_start + 200))
          .Byte(static_cast<std::uint8_t>(in.gate_release + 200));
      break;
    }
    case op::kReadInputDelay:
    case op::kReadOutputDelay: {
      const bool enable = input_read ? set.inputs[ch].delay_enable : set.outputs[ch].delay_enable;
      const int delay = input_read ? set.inputs[ch].delay : set.outputs[ch].delay;
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(enable).Le16(static_cast<std::uint16_t>(delay));
      break;
    }
    case op::kReadInputPolarity:
    case op::kReadOutputPolarity: {
      const bool inverted = input_read ? set.inputs[ch].polarity : set.outputs[ch].polarity;
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(0).Byte(inverted);
      break;
    }
    case op::kReadMatrixRow: {
      const InputChannel& in = set.inputs[ch];
      std::uint8_t off = 0;
      for (int j = 0; j < kMaxChannels; ++j)
        if (!in.route_enable[static_cast<std::size_t>(j)]) off |= static_cast<std::uint8_t>(1u << j);
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(off).Byte(0);
      for (int j = 0; j < kMaxChannels; ++j)
        reply.Le16(static_cast<std::uint16_t>(in.route_level[static_cast<std::size_t>(j)]));
      break;
    }
    case op::kReadOutputFilter: {
      if (f.size() < 9) return std::nullopt;
      const Filter& filter = set.outputs[ch].filters[f[7] ? 1 : 0];
      reply.Byte(f[7]).Byte(static_cast<std::uint8_t>(index)).Byte(filter.enable).Byte(ShapeByte(filter))
          .Le16(static_cast<std::uint16_t>(filter.frequency));
      break;
    }
    case op::kReadLimiter: {
      const OutputChannel& out = set.outputs[ch];
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(out.limiter_enable)
          .Byte(static_cast<std::uint8_t>(static_cast<std::int8_t>(out.limiter_threshold)))
          .Le16(static_cast<std::uint16_t>(out.limiter_release));
      break;
    }
    case op::kReadCompressor: {
      const OutputChannel& out = set.outputs[ch];
      reply.Byte(static_cast<std::uint8_t>(index)).Byte(out.compressor_enable)
          .Le16(static_cast<std::uint16_t>(out.compressor_attack))
          .Le16(static_cast<std::uint16_t>(out.compressor_release))
          .Le16(static_cast<std::uint16_t>(out.compressor_threshold))
          .Le16(static_cast<std::uint16_t>(out.compressor_ratio_x10))
          .Byte(0);
      break;
    }
    default: return std::nullopt;  // not a read this device knows
  }
  return reply.Finish();
}

std::optional<Bytes> Device::ReadEq(const Frame& f) {
  const bool input = f[kOffOpcode] == op::kReadInputEq;
  if (f.size() < 10) return std::nullopt;
  const int index = f[5];
  if (index >= (input ? setup_.inputs : setup_.outputs)) return std::nullopt;
  const int first = std::min<int>(f[7], kEqBands - 16);
  const auto ch = static_cast<std::size_t>(index);
  const auto& eq = input ? store_.current().inputs[ch].eq : store_.current().outputs[ch].eq;
  CommandFrame reply = ReplyTo(f);
  for (int b = first; b < first + 16; ++b) {
    const EqBand& band = eq[static_cast<std::size_t>(b)];
    reply.Byte(static_cast<std::uint8_t>(index)).Byte(static_cast<std::uint8_t>(b)).Byte(band.enable)
        .Le16(static_cast<std::uint16_t>(band.gain + 25600))
        .Le16(static_cast<std::uint16_t>(band.frequency))
        .Le16(static_cast<std::uint16_t>(band.q))
        .Byte(static_cast<std::uint8_t>(band.type_code));
  }
  return reply.Finish();
}

}  // namespace velmora::sim
