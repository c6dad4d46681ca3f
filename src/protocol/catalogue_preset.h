#pragma once
// Preset commands. A slot outside 0..16 is never sent.

#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "model/device_record.h"

namespace velmora::protocol {

// Class 0xF7, but the link engine writes it and reads nothing.
std::optional<Bytes> StorePreset(std::uint8_t address, int slot);
// Slot 0 restores the factory settings.
std::optional<Bytes> RecallPreset(std::uint8_t address, int slot);
// Class 0xF3: the first 19 bytes of the slot's name and a zero byte.
std::optional<Bytes> WritePresetName(const DeviceRecord& record, int slot);

}  // namespace velmora::protocol
