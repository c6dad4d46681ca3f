#include "test_port.h"

#include "platform/serial/serial_port.h"

namespace velmora::testing {

std::unique_ptr<Port> MakeSerialPort() { return std::make_unique<CSerialPort>(); }

}  // namespace velmora::testing
