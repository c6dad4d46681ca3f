#pragma once
// The opcodes a device understands, by class, as the wire tables list them.
// Written for the device side; the console keeps its own catalogue.

#include <cstdint>
#include <string>

namespace velmora::sim {

namespace cls {
inline constexpr std::uint8_t kRequest = 0xF7;
inline constexpr std::uint8_t kScan = 0xF2;
inline constexpr std::uint8_t kWrite = 0xF3;
inline constexpr std::uint8_t kPinkNoise = 0xF9;
inline constexpr std::uint8_t kReply = 0xF8;
}  // namespace cls

namespace op {
// Class 0xF2.
inline constexpr std::uint8_t kScanBegin = 0xEF;
inline constexpr std::uint8_t kScanQuery = 0xE1;
inline constexpr std::uint8_t kScanIdentity = 0xE2;
inline constexpr std::uint8_t kScanCollision = 0xE3;
inline constexpr std::uint8_t kAssignAddress = 0xE4;
inline constexpr std::uint8_t kAddressAssigned = 0xE5;
inline constexpr std::uint8_t kWriteDeviceName = 0xE6;
// Class 0xF7 reads.
inline constexpr std::uint8_t kReadInputGain = 0x80;
inline constexpr std::uint8_t kReadInputEq = 0x81;
inline constexpr std::uint8_t kReadNoiseGate = 0x83;
inline constexpr std::uint8_t kReadInputDelay = 0x84;
inline constexpr std::uint8_t kReadInputPolarity = 0x85;
inline constexpr std::uint8_t kReadMatrixRow = 0x90;
inline constexpr std::uint8_t kReadOutputGains = 0xA0;
inline constexpr std::uint8_t kReadOutputEq = 0xA1;
inline constexpr std::uint8_t kReadOutputFilter = 0xA2;
inline constexpr std::uint8_t kReadOutputDelay = 0xA3;
inline constexpr std::uint8_t kReadOutputPolarity = 0xA4;
inline constexpr std::uint8_t kReadLimiter = 0xA6;
inline constexpr std::uint8_t kReadCompressor = 0xA9;
inline constexpr std::uint8_t kReadStatus = 0xD0;
inline constexpr std::uint8_t kReadEffectsBlock = 0xD6;
inline constexpr std::uint8_t kReadPresetName = 0xD7;
inline constexpr std::uint8_t kStorePreset = 0x70;
inline constexpr std::uint8_t kRecallPreset = 0x71;
// Class 0xF3 writes and mode changes.
inline constexpr std::uint8_t kWriteEqBand = 0x0A;
inline constexpr std::uint8_t kWriteGainsOrMatrix = 0x0F;
inline constexpr std::uint8_t kWriteDelay = 0x10;
inline constexpr std::uint8_t kWriteNoiseGate = 0x12;
inline constexpr std::uint8_t kWritePolarity = 0x1A;
inline constexpr std::uint8_t kWriteHighPass = 0x1B;
inline constexpr std::uint8_t kWriteLowPass = 0x1C;
inline constexpr std::uint8_t kWriteLimiter = 0x1F;
inline constexpr std::uint8_t kWriteCompressor = 0x29;
inline constexpr std::uint8_t kBeginFirmwareUpload = 0xD0;
inline constexpr std::uint8_t kBeginParameterUpload = 0xD6;
inline constexpr std::uint8_t kWritePresetName = 0xD7;
// Class 0xF9.
inline constexpr std::uint8_t kPinkNoise = 0x01;
}  // namespace op

// Human name of a frame for the traffic log ("ReadStatus", "WriteGains"...);
// "class 0xNN opcode 0xNN" when the pair is unknown.
std::string CommandName(std::uint8_t frame_class, std::uint8_t opcode);

}  // namespace velmora::sim
