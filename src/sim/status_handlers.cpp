// ReadStatus and ReadEffectsBlock.
#include "sim/device.h"
#include "sim/opcodes.h"

namespace velmora::sim {

Bytes Device::ReadStatus(Micros now) {
  // Bytes 5..10: current preset, then five status bytes that are never all
  // 0xFF (that pattern means "no answer"). Then one energy per channel.
  CommandFrame reply(FrameClass::kReply, address_, op::kReadStatus);
  reply.Byte(static_cast<std::uint8_t>(store_.current_preset()));
  reply.Byte(0x01);  // running
  for (int i = 0; i < 4; ++i) reply.Byte(0x00);
  for (std::uint32_t e : levels_.Energies(store_.current(), setup_.inputs, setup_.outputs, now))
    reply.Le32(e);
  return reply.Finish();
}

std::optional<Bytes> Device::ReadEffectsBlock(const Frame& f) {
  if (f.size() < 9) return std::nullopt;
  const int block = U16At(f, 5);
  if (block >= effects_.block_count) return std::nullopt;  // past the image: silence
  CommandFrame reply(FrameClass::kReply, address_, op::kReadEffectsBlock);
  reply.Le16(static_cast<std::uint16_t>(block));
  reply.Raw(EffectsBlock(setup_.chip_id, block, effects_.block_size));
  return reply.Finish();
}

}  // namespace velmora::sim
