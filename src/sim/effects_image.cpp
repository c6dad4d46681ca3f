#include "sim/effects_image.h"

namespace velmora::sim {

Bytes EffectsBlock(const ChipId& chip, int block, int block_size) {
  std::uint64_t state = static_cast<std::uint64_t>(block) * 0x9E3779B97F4A7C15ull;
  for (std::uint8_t b : chip) state = (state ^ b) * 0x400000001B3ull;
  Bytes data(static_cast<std::size_t>(block_size));
  for (auto& byte : data) {
    // splitmix64: cheap, well spread, reproducible everywhere.
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    byte = static_cast<std::uint8_t>(z ^ (z >> 31));
  }
  return data;
}

}  // namespace velmora::sim
