#include "protocol/catalogue_frame.h"

#include <cassert>

namespace velmora::protocol {

CommandFrame& Zeros(CommandFrame& frame, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) frame.Byte(0);
  return frame;
}

CommandFrame& Be32(CommandFrame& frame, std::uint32_t value) {
  return frame.Be16(static_cast<std::uint16_t>(value >> 16))
      .Be16(static_cast<std::uint16_t>(value));
}

Bytes FinishAs(const CommandFrame& frame, std::size_t length) {
  Bytes bytes = frame.Finish();
  assert(bytes.size() == length && "catalogue frame built to the wrong length");
  (void)length;
  return bytes;
}

std::uint16_t U16At(ByteView reply, std::size_t at) {
  if (at + 1 >= reply.size()) return 0;
  return static_cast<std::uint16_t>(reply[at] | (reply[at + 1] << 8));
}

namespace {
ReplyCheck CheckOpcode(ByteView reply, std::uint8_t opcode) {
  if (reply.size() < kMinFrameLength) return ReplyCheck::kWrongLength;
  return reply[kOffOpcode] == opcode ? ReplyCheck::kApplied : ReplyCheck::kWrongOpcode;
}
}  // namespace

// The length byte and the bytes actually present must both agree, so that no
// field is ever read past the end of what arrived.
ReplyCheck CheckReply(ByteView reply, std::uint8_t opcode, std::size_t length) {
  const ReplyCheck check = CheckOpcode(reply, opcode);
  if (check != ReplyCheck::kApplied) return check;
  if (reply[kOffLength] != length || reply.size() < length) return ReplyCheck::kWrongLength;
  return ReplyCheck::kApplied;
}

ReplyCheck CheckReplyAtLeast(ByteView reply, std::uint8_t opcode, std::size_t min_length) {
  const ReplyCheck check = CheckOpcode(reply, opcode);
  if (check != ReplyCheck::kApplied) return check;
  if (reply[kOffLength] < min_length || reply.size() < reply[kOffLength])
    return ReplyCheck::kWrongLength;
  return ReplyCheck::kApplied;
}

std::uint8_t EncodeFilterShape(int filter, std::int32_t type, std::int32_t slope, bool enabled) {
  const std::int64_t t = type, s = slope;
  if (t == 2 && enabled) return Low8(filter == kHighPass ? (t << 4) | s : (t << 4) | (s - 1));
  return Low8(filter == kHighPass ? (t << 4) | (s << 1) | 1 : (t << 4) | (s << 1));
}

FilterShape DecodeFilterShape(std::uint8_t shape) {
  if (shape == 0xFF) shape = 0;
  const std::int32_t type = shape >> 4;
  const std::int32_t slope = type == 2 ? (shape & 0x0E) + 1 : (shape >> 1) & 7;
  return {type, slope};
}

}  // namespace velmora::protocol
