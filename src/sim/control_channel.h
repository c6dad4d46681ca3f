#pragma once
// Where control commands come from while the emulator runs: standard input
// (--stdin-control) and a UNIX stream socket (--control PATH), one command
// per line. Each line gets one reply line ("ok", "error: ..." or the status
// table). The channel only moves text; ExecuteControl does the work.
// Single-threaded: polled by the runner's loop.

#include <functional>
#include <string>
#include <vector>

#include <poll.h>

#include "sim/sim_types.h"

namespace velmora::sim {

class ControlChannel {
 public:
  // Takes a command line, returns the reply text (without newline).
  using Handler = std::function<std::string(const std::string& line)>;

  ControlChannel() = default;
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  void UseStdin() { stdin_open_ = stdin_used_ = true; }
  // Creates and listens on the socket; an old socket file at that path is replaced.
  Result<bool> Listen(const std::string& path);

  void AddPollFds(std::vector<pollfd>& fds) const;
  // After poll: reads what is ready and runs complete lines through the handler.
  void Service(const std::vector<pollfd>& fds, const Handler& handler);

  // Standard input was the control channel and has closed.
  bool stdin_closed() const { return stdin_used_ && !stdin_open_; }

 private:
  struct Client {
    int fd;
    std::string pending;
  };
  static bool Drain(int fd, std::string& pending, const Handler& handler, int reply_fd);

  bool stdin_open_ = false;
  bool stdin_used_ = false;
  std::string stdin_pending_;
  int listen_fd_ = -1;
  std::string socket_path_;
  std::vector<Client> clients_;
};

}  // namespace velmora::sim
