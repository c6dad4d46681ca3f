#include "cli/flow_command.h"

#include <csignal>

#include "cli/cli_settings.h"
#include "cli/command.h"

namespace velmora::cli {

namespace {
void OnInterrupt(int) { FlowSession::Interrupted() = true; }
}  // namespace

KnownOptions ScanOptions(KnownOptions own) {
  own.with_value.insert({"port", "baud", "time"});
  return own;
}

std::optional<long> ReadAddress(const Args& args, std::string& error) {
  const auto text = args.value("address");
  if (!text) {
    error = "--address is required";
    return std::nullopt;
  }
  const auto address = ParseNumber(*text, 1, 255);
  if (!address) error = "--address is a device address 1..255, not '" + *text + "'";
  return address;
}

std::optional<ScannedLine> OpenAndScan(const Command* command, const Args& args, int& exit) {
  LineOptions line;
  std::string error;
  ProgramSettings settings = CliProgramSettings();
  line.baud = static_cast<int>(settings.config_baud);
  if (!ReadLineOptions(args, line, error)) {
    exit = UsageError(command, error);
    return std::nullopt;
  }
  if (const auto time = args.value("time")) {
    const auto ms = ParseNumber(*time, 200, 600000);
    if (!ms) {
      exit = UsageError(command, "--time is the scan time in ms, 200..600000, not '" + *time + "'");
      return std::nullopt;
    }
    settings.config_scan_time = static_cast<std::uint32_t>(*ms);
  }
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  ScannedLine scanned;
  scanned.uart = OpenLink(line);
  if (!scanned.uart) {
    exit = kExitFailed;
    return std::nullopt;
  }
  scanned.session = std::make_unique<FlowSession>(*scanned.uart, std::move(settings));
  if (!scanned.session->Scan()) {
    exit = kExitFailed;
    return std::nullopt;
  }
  return scanned;
}

}  // namespace velmora::cli
