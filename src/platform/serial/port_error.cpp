#include "platform/serial/port.h"

namespace velmora {

const char* DescribePortError(PortError error) {
  switch (error) {
    case PortError::kNone: return "no error";
    case PortError::kAlreadyOpen: return "a port is open already";
    case PortError::kNoName: return "no port name given";
    case PortError::kNoSuchPort: return "no such port";
    case PortError::kPermissionDenied:
      return "permission denied (join the dialout group and log in again)";
    case PortError::kBusy: return "busy (held by another program, such as ModemManager or brltty)";
    case PortError::kNotASerialPort: return "not a serial port";
    case PortError::kUnsupportedBaud: return "baud rate not supported";
    case PortError::kOther: break;
  }
  return "cannot be opened";
}

}  // namespace velmora
