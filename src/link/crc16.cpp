#include "link/crc16.h"

namespace velmora {

std::uint16_t Crc16(std::span<const std::uint8_t> data) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : data) {
    crc ^= static_cast<std::uint16_t>(byte) << 8;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                           : static_cast<std::uint16_t>(crc << 1);
  }
  return crc;
}

}  // namespace velmora
