#include "cli/hex.h"

#include <cctype>

namespace velmora::cli {

namespace {
int Digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::optional<Bytes> ParseHexBytes(const std::vector<std::string>& words) {
  Bytes bytes;
  for (std::string word : words) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word = word.substr(2);
    if (word.empty() || word.size() % 2 != 0) {
      if (word.size() != 1) return std::nullopt;
      word = "0" + word;  // "6" is 06
    }
    for (std::size_t i = 0; i < word.size(); i += 2) {
      const int high = Digit(word[i]), low = Digit(word[i + 1]);
      if (high < 0 || low < 0) return std::nullopt;
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
  }
  return bytes;
}

std::string FormatHexBytes(ByteView bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text.push_back(' ');
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  }
  return text;
}

}  // namespace velmora::cli
