#pragma once
// The serial port the pty tests hand to the engine.

#include <memory>

#include "platform/serial/port.h"

namespace velmora::testing {

std::unique_ptr<Port> MakeSerialPort();

}  // namespace velmora::testing
