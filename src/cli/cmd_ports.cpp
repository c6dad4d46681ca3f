// velmora-cli ports: the serial ports present, one per line, in probe order.
#include <cstdio>

#include "cli/args.h"
#include "cli/command.h"
#include "platform/serial/port_enumeration.h"

namespace velmora::cli {

int RunPorts(int argc, char** argv) {
  const ParseResult parsed = ParseArgs(argc, argv, 1, {{"port"}, {}});
  if (!parsed.error.empty()) return UsageError(FindCommand("ports"), parsed.error);
  if (!parsed.args.positionals.empty())
    return UsageError(FindCommand("ports"), "ports takes no arguments");
  // Ports named with --port replace the system's enumeration.
  const auto named = parsed.args.repeated.find("port");
  PortSource source;
  if (named != parsed.args.repeated.end()) source.explicit_ports = named->second;
  for (const std::string& name : PresentPorts(source)) std::printf("%s\n", name.c_str());
  return kExitOk;
}

}  // namespace velmora::cli
