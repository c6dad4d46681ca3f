#include "platform/serial/port_name.h"

namespace velmora {

std::string PortDevicePath(std::string_view name) {
  if (name.find('/') != std::string_view::npos) return std::string(name);
  return "/dev/" + std::string(name);
}

}  // namespace velmora
