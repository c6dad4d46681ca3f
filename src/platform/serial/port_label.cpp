#include "platform/serial/port_label.h"

namespace velmora {

std::string WithPortSuffix(std::string_view text, std::string_view name) {
  std::string out(text);
  out += " [";
  out += name;
  out += ']';
  return out;
}

std::string WithoutPortSuffix(std::string_view text) {
  if (text.empty() || text.back() != ']') return std::string(text);
  const std::size_t cut = text.rfind(" [");
  if (cut == std::string_view::npos) return std::string(text);
  return std::string(text.substr(0, cut));
}

}  // namespace velmora
