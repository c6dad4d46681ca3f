#pragma once
// The readable traffic log (--log FILE): one line per frame in each direction,
//
//   <time ms>  <direction>  <device>  <command>  <bytes in hex>
//
// direction "host>" for what the host sent, "<dev" for what devices sent,
// "note" for what the line did (a collision, a fault, an upload stored).
// The device column is the device's number on the line (1..N), "all" for a
// broadcast, "-" when nobody is addressed. During a YMODEM upload the host's
// bytes are logged as they arrive ("upload data"), the device's answers as
// "upload handshake". Lines are flushed as written, so a
// test can wait for one to appear.

#include <cstdio>
#include <string>

#include "sim/sim_types.h"

namespace velmora::sim {

class TrafficLog {
 public:
  TrafficLog() = default;  // discards everything
  ~TrafficLog();
  TrafficLog(const TrafficLog&) = delete;
  TrafficLog& operator=(const TrafficLog&) = delete;

  // False with errno set when the file cannot be opened for appending.
  bool Open(const std::string& path);
  bool enabled() const { return file_ != nullptr; }

  void Frame(Micros now, const char* direction, const std::string& device, const std::string& what,
             ByteView bytes);
  void Note(Micros now, const std::string& device, const std::string& text);

 private:
  std::FILE* file_ = nullptr;
};

std::string HexBytes(ByteView bytes);

}  // namespace velmora::sim
