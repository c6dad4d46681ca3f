#pragma once
// The emulator's end of a pseudo-terminal: the master, in raw mode and
// non-blocking, and the slave's path, which the console opens like any
// serial port. We keep a slave descriptor open ourselves, so the master does
// not report a hang-up each time the console closes and reopens the port.

#include <string>

#include "sim/sim_types.h"

namespace velmora::sim {

class PseudoTerminal {
 public:
  static Result<PseudoTerminal> Open();

  PseudoTerminal(PseudoTerminal&& other) noexcept;
  PseudoTerminal& operator=(PseudoTerminal&&) = delete;
  PseudoTerminal(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  int master_fd() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }

  // Non-blocking: what is there (possibly nothing); an error yields nullopt.
  std::optional<Bytes> Read();
  // Writes everything, waiting for room if the console reads slowly.
  bool Write(ByteView bytes);

 private:
  PseudoTerminal(int master, int slave, std::string path)
      : master_(master), slave_keepalive_(slave), slave_path_(std::move(path)) {}

  int master_ = -1;
  int slave_keepalive_ = -1;
  std::string slave_path_;
};

// Puts a terminal descriptor in raw 8N1 mode at the given speed.
bool MakeRaw(int fd, int baud);

}  // namespace velmora::sim
