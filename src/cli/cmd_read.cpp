// velmora-cli read: scan, read one device's whole parameter set, write it to
// a parameter file.
#include <cstdio>

#include "cli/command.h"
#include "cli/flow_command.h"
#include "model/parameter_file.h"

namespace velmora::cli {

int RunRead(int argc, char** argv) {
  const Command* self = FindCommand("read");
  const ParseResult parsed = ParseArgs(argc, argv, 1, ScanOptions({{"address", "out"}, {}}));
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  std::string error;
  const auto address = ReadAddress(parsed.args, error);
  if (!address) return UsageError(self, error);
  const auto out = parsed.args.value("out");
  if (!out || out->empty()) return UsageError(self, "--out FILE.ini is required");

  int exit = kExitOk;
  auto line = OpenAndScan(self, parsed.args, exit);
  if (!line) return exit;
  DeviceRecord* device = line->session->DeviceAt(*address);
  if (!device) return kExitFailed;
  if (!line->session->RunSequence(protocol::SequenceKind::kReadAll, *device)) {
    // What was read so far is incomplete: no file is written from it.
    std::fprintf(stderr, "Synchronize from device fail\n");
    return kExitFailed;
  }
  device->synchronized = true;
  const profile::Status written = WriteParameterFile(device, *out);
  if (!written.ok) {
    std::fprintf(stderr, "velmora-cli: cannot write %s: %s\n", out->c_str(), written.reason.c_str());
    return kExitFailed;
  }
  std::fprintf(stderr, "read device %ld (%s) into %s\n", *address, device->name.c_str(), out->c_str());
  return kExitOk;
}

}  // namespace velmora::cli
