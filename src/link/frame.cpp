#include "link/frame.h"

#include <algorithm>

namespace velmora {

namespace {
constexpr std::uint8_t kOpcodeScanCollision = 0xE3;
constexpr std::uint8_t kOpcodeReadStatus = 0xD0;
constexpr std::size_t kNoAnswerStatusLength = 13;
}  // namespace

std::uint8_t FrameChecksum(ByteView frame) {
  if (frame.empty() || frame[0] != kFrameHeader) return 0;
  if (frame.size() < 2) return 0;
  const std::size_t length = std::min<std::size_t>(frame[kOffLength], frame.size());
  unsigned sum = 0;
  for (std::size_t i = 1; i + 1 < length; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum);
}

CommandFrame::CommandFrame(FrameClass cls, std::uint8_t address, std::uint8_t opcode) {
  buffer_[0] = kFrameHeader;
  buffer_[kOffClass] = static_cast<std::uint8_t>(cls);
  buffer_[kOffAddress] = address;
  buffer_[kOffOpcode] = opcode;
}

CommandFrame& CommandFrame::Byte(std::uint8_t value) {
  // One byte stays free for the checksum.
  if (size_ + 1 >= kMaxFrameLength) {
    overflowed_ = true;
    return *this;
  }
  buffer_[size_++] = value;
  return *this;
}

CommandFrame& CommandFrame::Le16(std::uint16_t value) {
  return Byte(value & 0xFF).Byte(value >> 8);
}

CommandFrame& CommandFrame::Le32(std::uint32_t value) {
  return Le16(value & 0xFFFF).Le16(value >> 16);
}

CommandFrame& CommandFrame::Be16(std::uint16_t value) {
  return Byte(value >> 8).Byte(value & 0xFF);
}

CommandFrame& CommandFrame::Raw(ByteView bytes) {
  for (std::uint8_t b : bytes) Byte(b);
  return *this;
}

Bytes CommandFrame::Finish() const {
  Bytes frame(buffer_.begin(), buffer_.begin() + size_ + 1);
  frame[kOffLength] = static_cast<std::uint8_t>(frame.size());
  frame.back() = FrameChecksum(frame);
  return frame;
}

std::optional<std::size_t> FindReply(ByteView read) {
  const std::size_t n = std::min(read.size(), kMaxReplyRead);
  if (n < kMinFrameLength) return std::nullopt;

  for (std::size_t j = 0; j < n; ++j) {
    if (read[j] != kFrameHeader || j + 2 >= n) continue;
    const std::uint8_t cls = read[j + kOffClass];
    if (cls != static_cast<std::uint8_t>(FrameClass::kReply) &&
        cls != static_cast<std::uint8_t>(FrameClass::kScan))
      continue;
    const std::size_t length = read[j + kOffLength];
    if (length > n - j) continue;

    // The first plausible header decides: nothing after it is looked at.
    // A length below the shortest frame cannot hold an opcode, so it is never
    // a reply, even when its bytes happen to sum up.
    if (n - j < 4 || length < kMinFrameLength) return std::nullopt;
    const ByteView candidate = read.subspan(j, length);
    if (FrameChecksum(candidate) != candidate.back()) return std::nullopt;
    return j;
  }
  return std::nullopt;
}

std::optional<Bytes> ExtractReply(ByteView read) {
  const auto at = FindReply(read);
  if (!at) return std::nullopt;
  const auto begin = read.begin() + static_cast<std::ptrdiff_t>(*at);
  return Bytes(begin, begin + read[*at + kOffLength]);
}

bool ReplyMatches(ByteView request, ByteView reply) {
  if (request.size() < kMinFrameLength || reply.size() < kMinFrameLength) return false;
  const std::uint8_t cls = reply[kOffClass];
  if (cls == static_cast<std::uint8_t>(FrameClass::kScan))
    return request[kOffAddress] == static_cast<std::uint8_t>(~reply[kOffAddress]);
  if (cls == static_cast<std::uint8_t>(FrameClass::kReply))
    return reply[kOffOpcode] == request[kOffOpcode] &&
           reply[kOffAddress] == request[kOffAddress];
  return false;
}

Bytes MakeScanCollisionReply() {
  return CommandFrame(FrameClass::kScan, 0x00, kOpcodeScanCollision).Finish();
}

Bytes MakeNoAnswerStatusReply(std::uint8_t address) {
  CommandFrame frame(FrameClass::kReply, address, kOpcodeReadStatus);
  for (int i = 0; i < 6; ++i) frame.Byte(0xFF);
  frame.Byte(0x00);  // read by no consumer
  Bytes bytes = frame.Finish();
  static_assert(kNoAnswerStatusLength == 13);
  return bytes;
}

}  // namespace velmora
