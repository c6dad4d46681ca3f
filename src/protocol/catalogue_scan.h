#pragma once
// Scan and identity commands (class 0xF2), their replies, and the two upload
// mode commands.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/frame.h"
#include "model/device_record.h"

namespace velmora::protocol {

Bytes ScanBegin();
Bytes ScanQuery();
// Also the reply the link engine makes up for a garbled answer to ScanQuery.
Bytes ScanCollision();
Bytes AssignAddress(std::uint8_t new_address, const ChipId& chip);
// The first 20 characters of the name, padded with zero bytes to 20.
Bytes WriteDeviceName(std::uint8_t address, std::string_view name);

// Written by the upload thread itself, not through the send queue.
Bytes BeginFirmwareUpload(std::uint8_t address);
Bytes BeginParameterUpload(std::uint8_t address);

// ScanIdentity: 14 bytes, opcode 0xE2; the answering device's chip id.
std::optional<ChipId> ParseScanIdentity(ByteView reply);
bool IsScanCollision(ByteView reply);  // 6 bytes, opcode 0xE3

// AddressAssigned: 29 bytes, opcode 0xE5.
struct AddressAssignment {
  std::uint8_t address = 0;
  std::string name;  // up to the first zero byte or the end of the 20-byte field
  std::uint8_t inputs = 0;
  std::uint8_t outputs = 0;
};
std::optional<AddressAssignment> ParseAddressAssigned(ByteView reply);

}  // namespace velmora::protocol
