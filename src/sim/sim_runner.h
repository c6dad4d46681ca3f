#pragma once
// velmora-sim as a running program: the line on a pseudo-terminal, the
// control channel, the traffic log and the upload store, driven by one poll
// loop on the wall clock. Set up by Start, torn down by the destructor (the
// --link symlink and the control socket are removed there).
// Single-threaded; Stop may be requested from a signal handler through the
// descriptor given to Run.

#include <chrono>
#include <memory>
#include <optional>

#include "sim/control_channel.h"
#include "sim/pty.h"
#include "sim/sim_config.h"

namespace velmora::sim {

class SimRunner {
 public:
  explicit SimRunner(SimConfig config);
  ~SimRunner();
  SimRunner(const SimRunner&) = delete;
  SimRunner& operator=(const SimRunner&) = delete;

  // Opens the terminal, the link, the log and the control socket. The error
  // says what failed.
  Result<bool> Start();
  const std::string& slave_path() const { return pty_->slave_path(); }

  // Runs until `stop_fd` becomes readable, "quit" arrives, or standard input
  // closes when it is the control channel. Returns the exit status.
  int Run(int stop_fd);

  Line& line() { return *line_; }

 private:
  Micros Now() const;
  std::string Control(const std::string& command);

  SimConfig config_;
  std::chrono::steady_clock::time_point epoch_;
  TrafficLog log_;
  std::unique_ptr<Line> line_;
  std::optional<PseudoTerminal> pty_;
  ControlChannel control_;
  bool link_made_ = false;
  bool quit_ = false;
};

}  // namespace velmora::sim
