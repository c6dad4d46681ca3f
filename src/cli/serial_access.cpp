#include "cli/serial_access.h"

#include "platform/serial/serial_port.h"

namespace velmora::cli {

std::unique_ptr<Port> MakeSerialPort() { return std::make_unique<CSerialPort>(); }

}  // namespace velmora::cli
