// Presets: StorePreset, RecallPreset, ReadPresetName (class 0xF7) and
// WritePresetName (class 0xF3).
#include "sim/device.h"
#include "sim/opcodes.h"

namespace velmora::sim {

std::optional<Bytes> Device::OnPresetRequest(const Frame& f) {
  if (f.size() < 7) return std::nullopt;
  const int slot = f[5];
  switch (f[kOffOpcode]) {
    case op::kStorePreset:
      // The host writes StorePreset and reads nothing, so an answer would only
      // sit in front of the next reply; a store is silent.
      store_.Store(slot);
      return std::nullopt;
    case op::kRecallPreset: {
      if (!store_.Recall(slot)) return std::nullopt;
      CommandFrame reply(FrameClass::kReply, address_, op::kRecallPreset);
      reply.Byte(static_cast<std::uint8_t>(slot));
      return reply.Finish();
    }
    case op::kReadPresetName: {
      if (slot >= kPresetSlots) return std::nullopt;
      const std::string& name = store_.preset(slot).name;
      CommandFrame reply(FrameClass::kReply, address_, op::kReadPresetName);
      reply.Byte(static_cast<std::uint8_t>(slot));
      for (int i = 0; i < kNameLength; ++i)
        reply.Byte(i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[static_cast<std::size_t>(i)]) : 0);
      return reply.Finish();
    }
    default: return std::nullopt;
  }
}

void Device::WritePresetName(const Frame& f) {
  if (f.size() < 26) return;
  store_.Rename(f[5], NameFromField(ByteView(f.data() + 6, kPresetNameLength)));
}

}  // namespace velmora::sim
