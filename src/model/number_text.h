#pragma once
// Number conversions of the settings and the parameter files. Each skips
// leading white space and stops at the first character that is no digit of
// its base; none of them can overflow.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// The parameter files' conversion: a sign is accepted, no digits give 0, and a
// number beyond the 32-bit range is clamped to it (and flagged).
struct DecimalValue {
  std::int32_t value = 0;
  bool clamped = false;
};
DecimalValue StandardDecimal(std::string_view text);

// The configuration's conversions. Nothing when the text holds no digit of the
// base or the number does not fit the type; callers then keep their default.
// Base 16 accepts an optional "0x"; the unsigned forms accept "+" but not "-".
std::optional<std::uint32_t> ParseUnsigned32(std::string_view text, int base);
std::optional<std::int32_t> ParseSigned32(std::string_view text);

}  // namespace velmora
