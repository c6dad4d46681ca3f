// velmora-sim: an emulated line of Velmora devices on a pseudo-terminal.
// Prints the terminal's path on its first output line, then runs until
// SIGINT or SIGTERM (or standard input closing with --stdin-control).

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "sim/sim_runner.h"

namespace {
int g_stop_pipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = write(g_stop_pipe[1], &byte, 1);
}
}  // namespace

int main(int argc, char** argv) {
  using namespace velmora::sim;
  auto config = ParseCommandLine(argc, argv);
  if (!config) {
    std::fprintf(stderr, "velmora-sim: %s\n%s", config.error.c_str(), UsageText().c_str());
    return 2;
  }
  if (config.value->show_help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }

  if (pipe2(g_stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("velmora-sim: pipe");
    return 1;
  }
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);  // a control client that hangs up must not end us

  SimRunner runner(std::move(*config.value));
  if (auto started = runner.Start(); !started) {
    std::fprintf(stderr, "velmora-sim: %s\n", started.error.c_str());
    return 1;
  }
  std::printf("%s\n", runner.slave_path().c_str());
  std::fflush(stdout);
  return runner.Run(g_stop_pipe[0]);
}
