#pragma once
// A serial port on POSIX termios: raw 8N1 at a standard rate, reads that return
// at once with what has arrived, writes bounded by a 1000 ms time-out.
//
// Exclusive access: the resolved device is locked with flock(LOCK_EX | LOCK_NB),
// which holds across processes, across file descriptors within one process and
// for root, and dies with its holder. On a real tty TIOCEXCL is set as well, so
// that programs which take no lock (but are not root) are kept out too; a tty
// another program has marked exclusive is refused even to root. Because the lock
// lives on the device node, a /dev/serial/by-id link and the ttyUSB name it
// points to are the same port.
//
// Removal: when the adapter goes away (hang-up, a read of 0 bytes after poll
// reported input, EIO) Read closes the port and reports `removed` exactly once;
// later reads on the closed port return nothing. A Write that meets the removal
// only stops short and leaves the port open, because callers read only while
// the port is open and the report must reach them.
//
// Threads and locks: Open and Close run on the user-interface thread, Read and
// Write on the link engine's threads. `io_mutex_` guards the descriptor and the
// name, so a Close never pulls the descriptor from under
// a running read or write. A Write waiting for room in the output buffer also
// watches `wake_fd_`, which Close signals before it takes the lock, so Close
// waits for no time-out. `open_` is atomic: IsOpen takes no lock.

#include <atomic>
#include <mutex>
#include <string>

#include "platform/serial/port.h"
#include "platform/serial/port_enumeration.h"  // the ports there are to open

namespace velmora {

class CSerialPort : public Port {
 public:
  CSerialPort();
  ~CSerialPort() override;
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Refused (nothing changes) when a port is open already, the name is empty or
  // the rate is not a standard one.
  OpenResult Open(const std::string& name, int baud) override;
  void Close() override;
  bool IsOpen() const override;
  ReadResult Read(std::span<std::uint8_t> buffer) override;
  std::size_t Write(std::span<const std::uint8_t> bytes) override;

  // The open port's name as it was given to Open; empty when closed.
  std::string Name() const;

  static constexpr int kWriteTimeoutMs = 1000;

 private:
  void CloseLocked();

  mutable std::mutex io_mutex_;
  int fd_ = -1;
  bool marked_exclusive_ = false;  // TIOCEXCL set by us, cleared again on close
  std::string name_;
  std::atomic<bool> open_{false};
  int wake_fd_ = -1;
};

}  // namespace velmora
