#include "model/number_text.h"

#include <limits>

namespace velmora {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

struct Scanned {
  bool negative = false;
  bool any_digit = false;
  bool overflow = false;  // magnitude above 2^32
  std::uint64_t magnitude = 0;
};

// Blanks, sign, optional 0x for base 16, then digits; the magnitude saturates
// just above the 32-bit range, which is all any caller needs to know.
Scanned Scan(std::string_view text, int base) {
  Scanned s;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) s.negative = text[i++] == '-';
  if (base == 16 && i + 2 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2]) < 16)
    i += 2;
  constexpr std::uint64_t kCeiling = std::uint64_t{1} << 33;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) break;
    s.any_digit = true;
    s.magnitude =
        s.magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (s.magnitude > kCeiling) {
      s.magnitude = kCeiling;
      s.overflow = true;
    }
  }
  return s;
}

}  // namespace

DecimalValue StandardDecimal(std::string_view text) {
  const Scanned s = Scan(text, 10);
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int64_t signed_value =
      s.negative ? -static_cast<std::int64_t>(s.magnitude) : static_cast<std::int64_t>(s.magnitude);
  if (signed_value < kMin) return {static_cast<std::int32_t>(kMin), true};
  if (signed_value > kMax) return {static_cast<std::int32_t>(kMax), true};
  return {static_cast<std::int32_t>(signed_value), false};
}

std::optional<std::uint32_t> ParseUnsigned32(std::string_view text, int base) {
  if (base < 2 || base > 36) return std::nullopt;
  const Scanned s = Scan(text, base);
  if (!s.any_digit || s.overflow || s.magnitude > std::numeric_limits<std::uint32_t>::max())
    return std::nullopt;
  if (s.negative && s.magnitude != 0) return std::nullopt;
  return static_cast<std::uint32_t>(s.magnitude);
}

std::optional<std::int32_t> ParseSigned32(std::string_view text) {
  const Scanned s = Scan(text, 10);
  if (!s.any_digit || s.overflow) return std::nullopt;
  const std::int64_t value =
      s.negative ? -static_cast<std::int64_t>(s.magnitude) : static_cast<std::int64_t>(s.magnitude);
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace velmora
