#pragma once
// The effects image a device hands out block by block (ReadEffectsBlock):
// deterministic data, the same for the same chip id and block number, so a
// dump can be compared with what the device would give again.

#include "sim/sim_types.h"

namespace velmora::sim {

struct EffectsShape {
  int block_size = 64;    // data bytes per block, 1..247 (a frame holds at most 255 bytes)
  int block_count = 64;   // blocks 0 .. block_count-1 are answered
};

Bytes EffectsBlock(const ChipId& chip, int block, int block_size);

}  // namespace velmora::sim
