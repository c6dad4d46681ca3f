#include "platform/serial/port_enumeration.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <tuple>

#include "platform/serial/port_name.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::string ReadFirstLine(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The ttys the kernel writes its console to, such as "ttyS0 tty0".
std::set<std::string> ActiveConsoles(const fs::path& tty_class) {
  std::istringstream words(ReadFirstLine(tty_class / "console" / "active"));
  return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

// Serial-core ports publish their UART type; 0 is PORT_UNKNOWN, a slot with no
// chip behind it. Ports without the attribute (USB, ACM) have real hardware.
bool HasUartBehind(const fs::path& tty) {
  const fs::path type = tty / "type";
  if (!Exists(type)) return true;
  const std::string value = ReadFirstLine(type);
  return !value.empty() && value != "0";
}

bool IsOnUsb(const fs::path& device_link) {
  std::error_code ec;
  const fs::path device = fs::canonical(device_link, ec);
  return !ec && device.string().find("/usb") != std::string::npos;
}

// Natural order: the letters, then the number at the end as a number.
std::tuple<std::string, unsigned long, std::string> NaturalKey(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  const std::string number = name.substr(digits);
  unsigned long value = 0;
  for (char c : number.substr(0, 18)) value = value * 10 + static_cast<unsigned long>(c - '0');
  return {name.substr(0, digits), value, name};
}

}  // namespace

std::vector<std::string> EnumeratePorts(const PortSystemRoots& roots) {
  const fs::path tty_class = fs::path(roots.sys) / "class" / "tty";
  const std::set<std::string> consoles = ActiveConsoles(tty_class);

  struct Found {
    bool usb;
    std::string name;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (fs::directory_iterator it(tty_class, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path tty = it->path();
    const std::string name = tty.filename().string();
    const fs::path device = tty / "device";
    if (!Exists(device) || !Exists(device / "driver")) continue;  // virtual: no hardware
    if (!HasUartBehind(tty) || consoles.count(name)) continue;
    if (!Exists(fs::path(roots.dev) / name)) continue;
    found.push_back({IsOnUsb(device), name});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.usb != b.usb) return a.usb;
    return NaturalKey(a.name) < NaturalKey(b.name);
  });

  const bool real_dev = fs::path(roots.dev) == fs::path("/dev");
  std::vector<std::string> names;
  for (const Found& f : found) {
    names.push_back(real_dev ? f.name : (fs::path(roots.dev) / f.name).string());
  }
  return names;
}

std::vector<std::string> PresentPorts(const PortSource& source) {
  if (source.explicit_ports.empty()) return EnumeratePorts(source.roots);
  std::vector<std::string> present;
  for (const std::string& name : source.explicit_ports) {
    if (!name.empty() && Exists(PortDevicePath(name))) present.push_back(name);
  }
  return present;
}

}  // namespace velmora
