#pragma once
// Turns the host's byte stream into frames the way a device's receiver does:
// hunt for the 0xA5 header, take the length, check the checksum. Noise and
// frames with a bad checksum are skipped one byte at a time (resync), and a
// frame left incomplete by a pause longer than the inter-byte time-out is
// given up, so a stray header cannot swallow the frames that follow it.

#include <vector>

#include "sim/sim_types.h"

namespace velmora::sim {

class FrameParser {
 public:
  static constexpr Micros kInterByteTimeout = 20 * kMillis;

  struct Result {
    std::vector<Bytes> frames;
    int bad_checksums = 0;
    int noise_bytes = 0;
  };

  Result Feed(ByteView bytes, Micros now);

  // Bytes waiting for the rest of a frame.
  std::size_t pending() const { return buffer_.size(); }
  Micros last_byte() const { return last_byte_; }
  void Reset() { buffer_.clear(); }

 private:
  void Parse(Result& out, bool give_up_partial);

  Bytes buffer_;
  Micros last_byte_ = 0;
};

}  // namespace velmora::sim
