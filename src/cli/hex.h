#pragma once
// Bytes as the CLI reads and prints them: two hexadecimal digits per byte.

#include <optional>
#include <string>
#include <vector>

#include "link/frame.h"

namespace velmora::cli {

// Each word is one byte ("A5", "0x06", "f2"); also accepts words that hold several
// bytes without spaces ("A506F2"). Nothing on any malformed word.
std::optional<Bytes> ParseHexBytes(const std::vector<std::string>& words);

// "A5 06 F2": uppercase, separated by single spaces.
std::string FormatHexBytes(ByteView bytes);

}  // namespace velmora::cli
