#pragma once
// The serial layer as the CLI uses it.

#include <memory>
#include <string>
#include <vector>

#include "platform/serial/port.h"

namespace velmora::cli {

std::unique_ptr<Port> MakeSerialPort();
// The ports present, in probe order.
std::vector<std::string> PresentPorts();

}  // namespace velmora::cli
