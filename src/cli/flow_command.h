#pragma once
// What the commands that scan share: --port/--baud/--time read, the link
// opened, Ctrl-C turned into a clean stop, the scan run.

#include <memory>
#include <optional>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/flow_session.h"
#include "cli/link_session.h"

namespace velmora::cli {

struct ScannedLine {
  std::unique_ptr<CUart> uart;
  std::unique_ptr<FlowSession> session;
};

// The options every scanning command takes besides its own.
KnownOptions ScanOptions(KnownOptions own);

// Reads the line and --time options, opens the link and scans. Sets `exit`
// and returns nothing when the command cannot go on (bad arguments: usage;
// no port, interrupted: failure).
std::optional<ScannedLine> OpenAndScan(const Command* command, const Args& args, int& exit);

// --address N, 1..255.
std::optional<long> ReadAddress(const Args& args, std::string& error);

}  // namespace velmora::cli
