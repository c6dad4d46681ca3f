#pragma once
// How a port name becomes a device path. A name that contains '/' is a path used
// as given (a pty, a /dev/serial/by-id link); a bare name such as ttyUSB0 lives
// under /dev.

#include <string>
#include <string_view>

namespace velmora {

std::string PortDevicePath(std::string_view name);

}  // namespace velmora
