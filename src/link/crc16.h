#pragma once
#include <cstdint>
#include <span>

namespace velmora {

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection, no final XOR.
std::uint16_t Crc16(std::span<const std::uint8_t> data);

}  // namespace velmora
