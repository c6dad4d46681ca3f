// velmora-cli write: scan, load a parameter file into one device's record and
// write the whole record to the device.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "cli/command.h"
#include "cli/flow_command.h"
#include "model/parameter_file.h"

namespace velmora::cli {

int RunWrite(int argc, char** argv) {
  const Command* self = FindCommand("write");
  const ParseResult parsed = ParseArgs(argc, argv, 1, ScanOptions({{"address"}, {}}));
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  std::string error;
  const auto address = ReadAddress(parsed.args, error);
  if (!address) return UsageError(self, error);
  if (parsed.args.positionals.size() != 1) return UsageError(self, "give exactly one FILE.ini");
  const std::string file = parsed.args.positionals[0];
  // Refuse a file that cannot be read before spending a scan on it.
  if (std::ifstream probe(file); !probe) {
    std::fprintf(stderr, "velmora-cli: cannot read %s: %s\n", file.c_str(), std::strerror(errno));
    return kExitFailed;
  }

  int exit = kExitOk;
  auto line = OpenAndScan(self, parsed.args, exit);
  if (!line) return exit;
  DeviceRecord* device = line->session->DeviceAt(*address);
  if (!device) return kExitFailed;
  const ParameterFileRead read = ReadParameterFile(device, file);
  if (!read.status.ok) {
    std::fprintf(stderr, "velmora-cli: cannot read %s: %s\n", file.c_str(), read.status.reason.c_str());
    return kExitFailed;
  }
  if (read.clamped_values > 0)
    std::fprintf(stderr, "velmora-cli: %zu values in %s were out of range and were clamped\n",
                 read.clamped_values, file.c_str());
  if (!line->session->RunSequence(protocol::SequenceKind::kWriteAll, *device)) {
    std::fprintf(stderr, "velmora-cli: the write was interrupted\n");
    return kExitFailed;
  }
  std::fprintf(stderr, "wrote %s to device %ld (%s)\n", file.c_str(), *address, device->name.c_str());
  return kExitOk;
}

}  // namespace velmora::cli
