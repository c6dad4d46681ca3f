#pragma once
// The signal levels a device reports in its status reply.
//
// Energies are mean-square values scaled so that a full-scale signal reads
// kFullScale (0x40000000): a reading E is 10 * log10(E / 0x40000000) dBFS, so
// the skin's config_energy_full should hold 40000000 (hexadecimal). The scale
// leaves room for +6 dB of gain before a reading clips at 0xFFFFFFFF, and
// resolves the floor: one unit is -90 dBFS.
//
// - An input playing pink noise carries 20 * log10(volume / 255) dBFS
//   (volume 255 is full scale, 0 silence), with a few tenths of a dB of wobble.
// - Any other input carries a noise floor near -76 dBFS that drifts slowly.
// - Output j carries the sum of the powers of the inputs routed to it
//   (route enabled, level / 100 as amplitude), each scaled by its input gain
//   and silenced by its input mute, then scaled by the output gain; muting the
//   output leaves only the output's own floor. Input meters read the source,
//   before the input gain.

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "sim/parameter_store.h"

namespace velmora::sim {

class LevelsModel {
 public:
  static constexpr std::uint32_t kFullScale = 0x40000000;
  static constexpr double kFloorDb = -76.0;

  explicit LevelsModel(std::uint64_t seed);

  // Bits of `input_mask` select the inputs; play false stops them.
  void PinkNoise(std::uint8_t input_mask, bool play, int volume);
  bool playing(int input) const { return pink_volume_[static_cast<std::size_t>(input)] >= 0; }

  // One energy per input, then one per output.
  std::vector<std::uint32_t> Energies(const ParameterSet& set, int inputs, int outputs,
                                      Micros now);

 private:
  double FloorPower(int index, Micros now) const;

  std::array<int, kMaxChannels> pink_volume_;  // -1 when not playing
  std::array<double, 2 * kMaxChannels> drift_phase_{};
  std::array<double, 2 * kMaxChannels> drift_period_s_{};
  std::mt19937_64 wobble_;
};

}  // namespace velmora::sim
