#pragma once
// The serial layer as the CLI uses it.

#include <memory>
#include <string>
#include <vector>

#include "platform/serial/port.h"
#include "platform/serial/port_enumeration.h"

namespace velmora::cli {

std::unique_ptr<Port> MakeSerialPort();

}  // namespace velmora::cli
