#include "sim/frame_parser.h"

namespace velmora::sim {

FrameParser::Result FrameParser::Feed(ByteView bytes, Micros now) {
  Result out;
  // A pause mid-frame means the rest is never coming: parse what is there
  // without waiting for it, so the header byte is dropped and we resync.
  if (!buffer_.empty() && now - last_byte_ > kInterByteTimeout) Parse(out, true);
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  if (!bytes.empty()) last_byte_ = now;
  Parse(out, false);
  return out;
}

void FrameParser::Parse(Result& out, bool give_up_partial) {
  std::size_t pos = 0;
  while (pos < buffer_.size()) {
    if (buffer_[pos] != kFrameHeader) {
      ++out.noise_bytes;
      ++pos;
      continue;
    }
    if (pos + 1 >= buffer_.size()) {
      if (give_up_partial) { ++out.noise_bytes; ++pos; continue; }
      break;
    }
    const std::size_t length = buffer_[pos + kOffLength];
    if (length < kMinFrameLength) {
      ++out.noise_bytes;
      ++pos;
      continue;
    }
    if (pos + length > buffer_.size()) {
      if (give_up_partial) { ++out.noise_bytes; ++pos; continue; }
      break;
    }
    const ByteView candidate(buffer_.data() + pos, length);
    if (FrameChecksum(candidate) != candidate.back()) {
      ++out.bad_checksums;
      ++pos;  // resync on the byte after this header
      continue;
    }
    out.frames.emplace_back(candidate.begin(), candidate.end());
    pos += length;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos));
}

}  // namespace velmora::sim
