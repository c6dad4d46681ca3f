#include "cli/link_session.h"

#include <cstdio>
#include <cstring>

#include "cli/serial_access.h"

namespace velmora::cli {

bool ReadLineOptions(const Args& args, LineOptions& options, std::string& error) {
  const auto port = args.value("port");
  if (!port || port->empty()) {
    error = "--port is required";
    return false;
  }
  options.port = *port;
  if (const auto baud = args.value("baud")) {
    const auto value = ParseNumber(*baud, 50, 4000000);
    if (!value) {
      error = "--baud must be a rate such as 9600 or 115200, not '" + *baud + "'";
      return false;
    }
    options.baud = static_cast<int>(*value);
  }
  return true;
}

std::unique_ptr<CUart> OpenLink(const LineOptions& options) {
  auto uart = std::make_unique<CUart>(MakeSerialPort());
  const OpenResult opened = uart->Open(options.port, options.baud);
  if (!opened) {
    std::fprintf(stderr, "velmora-cli: cannot open %s: %s", options.port.c_str(),
                 DescribePortError(opened.error));
    if (opened.system_errno != 0) std::fprintf(stderr, " [%s]", std::strerror(opened.system_errno));
    std::fprintf(stderr, "\n");
    return nullptr;
  }
  return uart;
}

}  // namespace velmora::cli
