#include "protocol/catalogue_scan.h"

#include <algorithm>

#include "protocol/catalogue_frame.h"
#include "protocol/catalogue_opcodes.h"

namespace velmora::protocol {

namespace {
constexpr std::size_t kNameField = 20;

Bytes Broadcast(std::uint8_t opcode) {
  return FinishAs(CommandFrame(FrameClass::kScan, 0x00, opcode), 6);
}

// Text up to the first zero byte or the end of the field.
std::string FieldText(ByteView field) {
  return std::string(field.begin(), std::find(field.begin(), field.end(), 0));
}
}  // namespace

Bytes ScanBegin() { return Broadcast(op::kScanBegin); }
Bytes ScanQuery() { return Broadcast(op::kScanQuery); }
Bytes ScanCollision() { return Broadcast(op::kScanCollision); }

Bytes AssignAddress(std::uint8_t new_address, const ChipId& chip) {
  CommandFrame f(FrameClass::kScan, 0x00, op::kAssignAddress);
  f.Byte(new_address);  // [5]
  f.Raw(chip);          // [6..13]
  return FinishAs(f, 15);
}

Bytes WriteDeviceName(std::uint8_t address, std::string_view name) {
  CommandFrame f(FrameClass::kScan, address, op::kWriteDeviceName);
  name = name.substr(0, kNameField);
  for (char c : name) f.Byte(static_cast<std::uint8_t>(c));  // [5..24]
  Zeros(f, kNameField - name.size());
  return FinishAs(f, 26);
}

Bytes BeginFirmwareUpload(std::uint8_t address) {
  return FinishAs(CommandFrame(FrameClass::kWrite, address, op::kBeginFirmwareUpload), 6);
}

Bytes BeginParameterUpload(std::uint8_t address) {
  return FinishAs(CommandFrame(FrameClass::kWrite, address, op::kBeginParameterUpload), 6);
}

std::optional<ChipId> ParseScanIdentity(ByteView reply) {
  if (CheckReply(reply, op::kScanIdentity, reply_len::kScanIdentity) != ReplyCheck::kApplied)
    return std::nullopt;
  ChipId chip{};
  std::copy_n(reply.begin() + 5, chip.size(), chip.begin());  // [5..12]
  return chip;
}

bool IsScanCollision(ByteView reply) {
  return CheckReply(reply, op::kScanCollision, reply_len::kScanCollision) == ReplyCheck::kApplied;
}

std::optional<AddressAssignment> ParseAddressAssigned(ByteView reply) {
  if (CheckReply(reply, op::kAddressAssigned, reply_len::kAddressAssigned) != ReplyCheck::kApplied)
    return std::nullopt;
  AddressAssignment a;
  a.address = reply[5];
  a.name = FieldText(reply.subspan(6, kNameField));  // [6..25]
  a.inputs = reply[26];
  a.outputs = reply[27];
  return a;
}

}  // namespace velmora::protocol
