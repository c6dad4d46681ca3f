#include "protocol/catalogue_preset.h"

#include "protocol/catalogue_frame.h"
#include "protocol/catalogue_opcodes.h"

namespace velmora::protocol {

namespace {
bool ValidSlot(int slot) { return slot >= 0 && slot < static_cast<int>(kPresetSlots); }

std::optional<Bytes> SlotCommand(std::uint8_t address, std::uint8_t opcode, int slot) {
  if (!ValidSlot(slot)) return std::nullopt;
  CommandFrame f(FrameClass::kRequest, address, opcode);
  f.Byte(Low8(slot));  // [5]
  return FinishAs(f, 7);
}
}  // namespace

std::optional<Bytes> StorePreset(std::uint8_t address, int slot) {
  return SlotCommand(address, op::kStorePreset, slot);
}

std::optional<Bytes> RecallPreset(std::uint8_t address, int slot) {
  return SlotCommand(address, op::kRecallPreset, slot);
}

std::optional<Bytes> WritePresetName(const DeviceRecord& r, int slot) {
  if (!ValidSlot(slot)) return std::nullopt;
  const auto& field = r.preset_names[static_cast<std::size_t>(slot)];
  CommandFrame f(FrameClass::kWrite, Low8(r.address), op::kWritePresetName);
  f.Byte(Low8(slot));                               // [5]
  for (std::size_t i = 0; i < kPresetNameMax; ++i)  // [6..24]
    f.Byte(static_cast<std::uint8_t>(field[i]));
  f.Byte(0x00);  // [25]
  return FinishAs(f, 27);
}

}  // namespace velmora::protocol
