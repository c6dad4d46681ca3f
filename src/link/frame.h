#pragma once
// One message on the serial line: header 0xA5, total length, class, address,
// opcode, payload, checksum. Pure functions over byte buffers; no I/O here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmora {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint8_t kFrameHeader = 0xA5;
inline constexpr std::size_t kMinFrameLength = 6;    // no payload
inline constexpr std::size_t kMaxFrameLength = 255;  // the length byte's range
inline constexpr std::size_t kMaxReplyRead = 256;    // bytes searched after one request

// Frame byte offsets.
inline constexpr std::size_t kOffLength = 1;
inline constexpr std::size_t kOffClass = 2;
inline constexpr std::size_t kOffAddress = 3;
inline constexpr std::size_t kOffOpcode = 4;
inline constexpr std::size_t kOffPayload = 5;

enum class FrameClass : std::uint8_t {
  kRequest = 0xF7,    // expects a 0xF8 reply from the addressed device
  kScan = 0xF2,       // scan and identity commands; replies are 0xF2 too
  kWrite = 0xF3,      // parameter write or mode change, never answered
  kPinkNoise = 0xF9,  // never answered
  kReply = 0xF8,      // from a device: repeats address and opcode
};

// Checksum byte of a frame whose byte 0 is 0xA5 and byte 1 its length: the sum
// of bytes 1 .. length-2 modulo 256. Returns 0 for an empty buffer or a wrong
// header. Only bytes inside the buffer are summed, whatever the length byte says.
std::uint8_t FrameChecksum(ByteView frame);

// Builds one frame in a fixed buffer. Payload beyond the 255-byte limit is
// dropped (and reported by overflowed()), so a frame can never outgrow its field.
class CommandFrame {
 public:
  CommandFrame(FrameClass cls, std::uint8_t address, std::uint8_t opcode);

  CommandFrame& Byte(std::uint8_t value);
  CommandFrame& Le16(std::uint16_t value);
  CommandFrame& Le32(std::uint32_t value);
  CommandFrame& Be16(std::uint16_t value);
  CommandFrame& Raw(ByteView bytes);

  // Length byte and checksum filled in; exactly `length` bytes.
  Bytes Finish() const;
  bool overflowed() const { return overflowed_; }

 private:
  std::array<std::uint8_t, kMaxFrameLength> buffer_{};
  std::size_t size_ = kOffPayload;
  bool overflowed_ = false;
};

// Position of the first valid reply among the bytes read after a request.
std::optional<std::size_t> FindReply(ByteView read);

// The reply found by FindReply, copied to exactly its length.
std::optional<Bytes> ExtractReply(ByteView read);

// Whether a valid reply answers the request that was sent.
bool ReplyMatches(ByteView request, ByteView reply);

// The replies the link engine makes up when a device does not answer properly.
Bytes MakeScanCollisionReply();
Bytes MakeNoAnswerStatusReply(std::uint8_t address);

}  // namespace velmora
