#pragma once
// The standard line rates a termios port can be set to.

#include <termios.h>

#include <optional>

namespace velmora {

// The termios speed constant for a rate in bits per second, or nothing when the
// rate is not a standard one.
std::optional<speed_t> StandardBaudRate(int baud);

}  // namespace velmora
