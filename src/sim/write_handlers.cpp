// Parameter writes (class 0xF3): each frame is decoded into the store, the
// inverse of the console's encoding. Frames too short for their fields are
// ignored whole, as a device would.
#include "sim/device.h"
#include "sim/opcodes.h"

namespace velmora::sim {

namespace {
constexpr std::uint8_t kAllOutputs = 0x0A;
constexpr std::uint8_t kMatrixMarker = 0x80;

// Inverse of the gain field g = tenths of a dB + 2000.
int GainFromField(int field) { return (field - 2000) * 10; }

template <typename Fn>
void ForEachBit(std::uint8_t mask, int count, Fn fn) {
  for (int c = 0; c < count && c < kMaxChannels; ++c)
    if (mask & (1u << c)) fn(static_cast<std::size_t>(c));
}
}  // namespace

void Device::WriteGainsOrMatrix(const Frame& f) {
  if (f.size() < 27) return;
  ParameterSet& set = store_.current();
  if (f[7] == kMatrixMarker) {  // WriteMatrixRow
    if (f[5] >= setup_.inputs) return;
    InputChannel& in = set.inputs[f[5]];
    for (int j = 0; j < kMaxChannels; ++j) {
      const auto o = static_cast<std::size_t>(j);
      in.route_enable[o] = !(f[6] & (1u << j));
      // A route switched off carries level 0 on the wire; keep the old level.
      if (in.route_enable[o]) in.route_level[o] = f[8 + 2 * o];
    }
    return;
  }
  if (f[5] == kAllOutputs) {
    for (int j = 0; j < setup_.outputs; ++j) {
      OutputChannel& out = set.outputs[static_cast<std::size_t>(j)];
      out.mute = f[6] & (1u << j);
      out.gain = GainFromField(S16At(f, 8 + 2 * static_cast<std::size_t>(j)));
    }
    return;
  }
  if (f[5] >= setup_.inputs) return;
  InputChannel& in = set.inputs[f[5]];
  in.mute = f[6] != 0;
  in.gain = GainFromField(S16At(f, 8));
}

void Device::WriteDelay(const Frame& f) {
  if (f.size() < 24) return;
  ParameterSet& set = store_.current();
  if (f[5] == kAllOutputs) {
    for (int j = 0; j < setup_.outputs; ++j) {
      OutputChannel& out = set.outputs[static_cast<std::size_t>(j)];
      out.delay_enable = f[6] & (1u << j);
      out.delay = U16At(f, 7 + 2 * static_cast<std::size_t>(j));
    }
    return;
  }
  if (f[5] >= setup_.inputs) return;
  InputChannel& in = set.inputs[f[5]];
  in.delay_enable = f[6] != 0;
  in.delay = U16At(f, 7);
}

void Device::WriteEqBand(const Frame& f) {
  if (f.size() < 18 || f[6] >= kEqBands) return;
  EqBand band;
  band.enable = f[7] != 0;
  band.gain = U16At(f, 8) - 25600;
  band.frequency = U16At(f, 10);
  band.q = U16At(f, 12);
  band.type_code = f[16];
  const auto b = static_cast<std::size_t>(f[6]);
  ParameterSet& set = store_.current();
  const std::uint8_t code = f[5];
  if (code == 21) {
    ForEachBit(f[14], setup_.outputs, [&](std::size_t c) { set.outputs[c].eq[b] = band; });
  } else if (code % 2 == 1 && (code - 1) / 2 < setup_.inputs) {
    set.inputs[static_cast<std::size_t>((code - 1) / 2)].eq[b] = band;
  }
}

void Device::WriteNoiseGate(const Frame& f) {
  if (f.size() < 11 || f[6] >= setup_.inputs) return;
  InputChannel& in = store_.current().inputs[f[6]];
  in.gate_enable = f[5] != 0;
  in.gate_start = f[7] - 200;
  in.gate_release = f[8] - 200;
}

void Device::WritePolarity(const Frame& f) {
  if (f.size() < 16) return;
  ParameterSet& set = store_.current();
  if (f[6] == kAllOutputs) {
    for (int j = 0; j < setup_.outputs; ++j)
      set.outputs[static_cast<std::size_t>(j)].polarity = f[5] & (1u << j);
    return;
  }
  if (f[6] >= setup_.inputs) return;
  set.inputs[f[6]].polarity = f[5] != 0;
}

void Device::WriteFilter(const Frame& f, int which) {
  if (f.size() < 12 || f[7] >= setup_.outputs) return;
  Filter& filter = store_.current().outputs[f[7]].filters[static_cast<std::size_t>(which)];
  filter.enable = f[5] != 0;
  const std::uint8_t shape = f[8];
  filter.type = shape >> 4;
  // An enabled type-2 filter carries its slope in the low nibble (one less
  // for the low-pass); every other filter carries slope << 1.
  if (filter.type == 2 && filter.enable)
    filter.slope = which == 0 ? (shape & 0x0F) : (shape & 0x0F) + 1;
  else
    filter.slope = (shape >> 1) & 7;
  filter.frequency = U16At(f, 9);
}

void Device::WriteLimiter(const Frame& f) {
  if (f.size() < 12) return;
  ForEachBit(f[7], setup_.outputs, [&](std::size_t c) {
    OutputChannel& out = store_.current().outputs[c];
    out.limiter_enable = f[6] != 0;
    out.limiter_threshold = static_cast<std::int8_t>(static_cast<std::uint8_t>(f[8] - 200));
    out.limiter_release = f[9];
  });
}

void Device::WriteCompressor(const Frame& f) {
  if (f.size() < 18) return;
  ForEachBit(f[7], setup_.outputs, [&](std::size_t c) {
    OutputChannel& out = store_.current().outputs[c];
    out.compressor_enable = f[6] != 0;
    out.compressor_attack = U16At(f, 8);
    out.compressor_release = U16At(f, 10);
    out.compressor_threshold = S16At(f, 12);
    out.compressor_ratio_x10 = U16At(f, 14);
  });
}

}  // namespace velmora::sim
