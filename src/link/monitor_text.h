#pragma once
// How received bytes appear in the serial monitor.

#include <string>

#include "link/frame.h"

namespace velmora {

// hex: every byte as two uppercase hexadecimal digits and a space, then a newline.
// text: the bytes up to the first zero byte.
std::string FormatMonitorText(ByteView bytes, bool hex);

}  // namespace velmora
