#include "link/monitor_text.h"

#include <algorithm>

namespace velmora {

std::string FormatMonitorText(ByteView bytes, bool hex) {
  if (!hex) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
  }
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3 + 1);
  for (std::uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
    text.push_back(' ');
  }
  text.push_back('\n');
  return text;
}

}  // namespace velmora
