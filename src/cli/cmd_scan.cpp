// velmora-cli scan: find the devices on the line, one line each on stdout.
#include <cstdio>

#include "cli/command.h"
#include "cli/flow_command.h"

namespace velmora::cli {

int RunScan(int argc, char** argv) {
  const Command* self = FindCommand("scan");
  const ParseResult parsed = ParseArgs(argc, argv, 1, ScanOptions({}));
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  if (!parsed.args.positionals.empty()) return UsageError(self, "scan takes no file or bytes");
  int exit = kExitOk;
  auto line = OpenAndScan(self, parsed.args, exit);
  if (!line) return exit;
  for (const DeviceRecord& r : line->session->devices()) std::printf("%s\n", DeviceLine(r).c_str());
  return kExitOk;
}

}  // namespace velmora::cli
