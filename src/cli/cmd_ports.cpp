// velmora-cli ports: the serial ports present, one per line, in probe order.
#include <cstdio>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/serial_access.h"

namespace velmora::cli {

int RunPorts(int argc, char** argv) {
  const ParseResult parsed = ParseArgs(argc, argv, 1, OptionSpec{});
  if (!parsed.error.empty()) return UsageError(FindCommand("ports"), parsed.error);
  if (!parsed.args.positionals.empty())
    return UsageError(FindCommand("ports"), "ports takes no arguments");
  for (const std::string& name : PresentPorts()) std::printf("%s\n", name.c_str());
  return kExitOk;
}

}  // namespace velmora::cli
