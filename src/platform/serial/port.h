#pragma once
// The link engine's view of a serial line: open, close, read what has arrived,
// write with a time-out. The termios port is one implementation; tests may use a
// scripted fake, and a network transport to a serial device server can be another.
//
// Threads: Open and Close run on the user-interface thread; Read and Write run on
// the link engine's threads under the engine's queue lock. IsOpen may be called
// from any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmora {

enum class PortError {
  kNone,
  kAlreadyOpen,       // a port is open already; nothing was changed
  kNoName,            // empty name
  kNoSuchPort,        // the device does not exist
  kPermissionDenied,  // the user may not open it (not in the dialout group)
  kBusy,              // held by another program or another of our ports
  kNotASerialPort,    // the line settings could not be applied
  kUnsupportedBaud,   // not one of the standard rates the port can be set to
  kOther,
};

// A short text for the user, such as "busy (held by another program, such as
// ModemManager or brltty)".
const char* DescribePortError(PortError error);

struct OpenResult {
  PortError error = PortError::kNone;
  int system_errno = 0;  // kept apart for diagnostics
  explicit operator bool() const { return error == PortError::kNone; }
};

// What a read found. kRemoved is reported once, when the adapter goes away; the
// port is closed at that moment.
struct ReadResult {
  std::size_t count = 0;
  bool removed = false;
};

class Port {
 public:
  virtual ~Port() = default;

  virtual OpenResult Open(const std::string& name, int baud) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Returns at once with whatever has arrived (possibly nothing).
  virtual ReadResult Read(std::span<std::uint8_t> buffer) = 0;

  // Writes within the write time-out (1000 ms); returns the number of bytes written.
  virtual std::size_t Write(std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace velmora
