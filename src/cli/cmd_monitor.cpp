// velmora-cli monitor: the line's traffic as it arrives, until interrupted.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/link_session.h"

namespace velmora::cli {

namespace {
std::atomic<bool> g_interrupted{false};
void OnSignal(int) { g_interrupted = true; }

constexpr auto kRefresh = std::chrono::milliseconds(200);  // as the monitor dialog
}  // namespace

int RunMonitor(int argc, char** argv) {
  const Command* self = FindCommand("monitor");
  const ParseResult parsed = ParseArgs(argc, argv, 1, {{"port", "baud"}, {"hex"}});
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  LineOptions line;
  std::string error;
  if (!ReadLineOptions(parsed.args, line, error)) return UsageError(self, error);
  if (!parsed.args.positionals.empty()) return UsageError(self, "unexpected '" + parsed.args.positionals[0] + "'");

  auto uart = OpenLink(line);
  if (!uart) return kExitFailed;
  uart->SetHexMonitor(parsed.args.has("hex"));

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  int status = kExitOk;
  while (!g_interrupted) {
    std::this_thread::sleep_for(kRefresh);
    const std::string text = uart->TakeMonitorText();
    if (!text.empty()) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
    }
    if (uart->TakePortRemoved()) {
      std::fprintf(stderr, "velmora-cli: %s was removed\n", line.port.c_str());
      status = kExitFailed;
      break;
    }
  }
  return status;
}

}  // namespace velmora::cli
