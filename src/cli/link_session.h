#pragma once
// The link engine on one named port, as the commands that talk to devices use it:
// --port and --baud read, the port opened, a clear reason when it cannot be.

#include <memory>
#include <string>

#include "cli/args.h"
#include "link/uart.h"

namespace velmora::cli {

inline constexpr int kDefaultBaud = 115200;

struct LineOptions {
  std::string port;
  int baud = kDefaultBaud;
};

// Reads --port (required) and --baud; on error returns false with `error` set.
bool ReadLineOptions(const Args& args, LineOptions& options, std::string& error);

// The engine with the port open, or null after printing why it could not be
// opened (missing, busy, permission denied).
std::unique_ptr<CUart> OpenLink(const LineOptions& options);

}  // namespace velmora::cli
