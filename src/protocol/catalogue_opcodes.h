#pragma once
// Opcodes and reply lengths of the command catalogue, as the wire tables give them.

#include <cstddef>
#include <cstdint>

namespace velmora::protocol {

namespace op {
// Scan and identity (class 0xF2).
inline constexpr std::uint8_t kScanBegin = 0xEF;
inline constexpr std::uint8_t kScanQuery = 0xE1;
inline constexpr std::uint8_t kScanIdentity = 0xE2;
inline constexpr std::uint8_t kScanCollision = 0xE3;
inline constexpr std::uint8_t kAssignAddress = 0xE4;
inline constexpr std::uint8_t kAddressAssigned = 0xE5;
inline constexpr std::uint8_t kWriteDeviceName = 0xE6;
// Read requests (class 0xF7, replies 0xF8).
inline constexpr std::uint8_t kReadInputGain = 0x80;
inline constexpr std::uint8_t kReadOutputGains = 0xA0;
inline constexpr std::uint8_t kReadInputEq = 0x81;
inline constexpr std::uint8_t kReadOutputEq = 0xA1;
inline constexpr std::uint8_t kReadNoiseGate = 0x83;
inline constexpr std::uint8_t kReadInputDelay = 0x84;
inline constexpr std::uint8_t kReadOutputDelay = 0xA3;
inline constexpr std::uint8_t kReadInputPolarity = 0x85;
inline constexpr std::uint8_t kReadOutputPolarity = 0xA4;
inline constexpr std::uint8_t kReadMatrixRow = 0x90;
inline constexpr std::uint8_t kReadOutputFilter = 0xA2;
inline constexpr std::uint8_t kReadLimiter = 0xA6;
inline constexpr std::uint8_t kReadCompressor = 0xA9;
inline constexpr std::uint8_t kReadPresetName = 0xD7;
inline constexpr std::uint8_t kReadStatus = 0xD0;
inline constexpr std::uint8_t kReadEffectsBlock = 0xD6;
// Presets.
inline constexpr std::uint8_t kStorePreset = 0x70;
inline constexpr std::uint8_t kRecallPreset = 0x71;
inline constexpr std::uint8_t kWritePresetName = 0xD7;
// Upload modes (class 0xF3).
inline constexpr std::uint8_t kBeginFirmwareUpload = 0xD0;
inline constexpr std::uint8_t kBeginParameterUpload = 0xD6;
// Parameter writes (class 0xF3).
inline constexpr std::uint8_t kWriteGains = 0x0F;  // also WriteMatrixRow
inline constexpr std::uint8_t kWriteMatrixRow = 0x0F;
inline constexpr std::uint8_t kWriteDelay = 0x10;
inline constexpr std::uint8_t kWriteEqBand = 0x0A;
inline constexpr std::uint8_t kWriteNoiseGate = 0x12;
inline constexpr std::uint8_t kWritePolarity = 0x1A;
inline constexpr std::uint8_t kWriteHighPass = 0x1B;
inline constexpr std::uint8_t kWriteLowPass = 0x1C;
inline constexpr std::uint8_t kWriteLimiter = 0x1F;
inline constexpr std::uint8_t kWriteCompressor = 0x29;
// Pink noise (class 0xF9).
inline constexpr std::uint8_t kPinkNoise = 0x01;
}  // namespace op

// Reply lengths (byte 1) the readers accept.
namespace reply_len {
inline constexpr std::size_t kScanIdentity = 14;
inline constexpr std::size_t kScanCollision = 6;
inline constexpr std::size_t kAddressAssigned = 29;
inline constexpr std::size_t kReadInputGain = 11;
inline constexpr std::size_t kReadOutputGains = 25;
inline constexpr std::size_t kReadEq = 166;
inline constexpr std::size_t kReadNoiseGate = 10;
inline constexpr std::size_t kReadDelay = 10;
inline constexpr std::size_t kReadPolarity = 9;
inline constexpr std::size_t kReadMatrixRow = 25;
inline constexpr std::size_t kReadOutputFilter = 12;
inline constexpr std::size_t kReadLimiter = 11;
inline constexpr std::size_t kReadCompressor = 17;
inline constexpr std::size_t kReadPresetNameMin = 27;
inline constexpr std::size_t kReadStatusMin = 13;       // the made-up no-answer reply
inline constexpr std::size_t kReadEffectsBlockMin = 9;  // more than 8
}  // namespace reply_len

}  // namespace velmora::protocol
