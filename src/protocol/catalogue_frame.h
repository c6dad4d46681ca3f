#pragma once
// What every part of the catalogue shares: building a frame to an exact
// length, cutting wide values to their fields, and checking a reply.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "model/device_record.h"

namespace velmora::protocol {

// Values wider than their field carry their low bits.
constexpr std::uint8_t Low8(std::int64_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
constexpr std::uint16_t Low16(std::int64_t value) {
  return static_cast<std::uint16_t>(value & 0xFFFF);
}
constexpr std::uint32_t Low32(std::int64_t value) {
  return static_cast<std::uint32_t>(value & 0xFFFFFFFF);
}

// Appends `count` zero bytes (the unlisted bytes of a frame).
CommandFrame& Zeros(CommandFrame& frame, std::size_t count);
CommandFrame& Be32(CommandFrame& frame, std::uint32_t value);

// The finished frame, which must come out exactly `length` bytes long: the
// catalogue's tables fix every frame's length, and a mismatch is a bug here.
Bytes FinishAs(const CommandFrame& frame, std::size_t length);

// Fields of a reply.
std::uint16_t U16At(ByteView reply, std::size_t at);

// Why a reply was or was not applied to the record.
enum class ReplyCheck {
  kApplied,      // the record took the reply's values
  kIgnored,      // the right reply, but it asks to be ignored; the record is unchanged
  kWrongOpcode,  // not the reply to this request: counts as a missed reply
  kWrongLength,  // the right opcode with a length the tables do not give: a missed reply
};

// Whether the reply answers the request it was read for (the reader's item is done).
constexpr bool Answered(ReplyCheck check) {
  return check == ReplyCheck::kApplied || check == ReplyCheck::kIgnored;
}

// Opcode and exact length of a reply; kApplied when both match.
ReplyCheck CheckReply(ByteView reply, std::uint8_t opcode, std::size_t length);
// The same with a minimum length.
ReplyCheck CheckReplyAtLeast(ByteView reply, std::uint8_t opcode, std::size_t min_length);

// The filter shape byte of WriteHighPass / WriteLowPass (`filter` 0 / 1) and
// of the ReadOutputFilter reply. Type 2 has its own layout when enabled.
std::uint8_t EncodeFilterShape(int filter, std::int32_t type, std::int32_t slope, bool enabled);
// 0xFF reads as 0.
FilterShape DecodeFilterShape(std::uint8_t shape);

}  // namespace velmora::protocol
