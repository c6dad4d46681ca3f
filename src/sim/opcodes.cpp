#include "sim/opcodes.h"

#include <cstdio>

namespace velmora::sim {

namespace {
const char* ScanName(std::uint8_t opcode) {
  switch (opcode) {
    case op::kScanBegin: return "ScanBegin";
    case op::kScanQuery: return "ScanQuery";
    case op::kScanIdentity: return "ScanIdentity";
    case op::kScanCollision: return "ScanCollision";
    case op::kAssignAddress: return "AssignAddress";
    case op::kAddressAssigned: return "AddressAssigned";
    case op::kWriteDeviceName: return "WriteDeviceName";
    default: return nullptr;
  }
}

const char* RequestName(std::uint8_t opcode) {
  switch (opcode) {
    case op::kReadInputGain: return "ReadInputGain";
    case op::kReadInputEq: return "ReadInputEq";
    case op::kReadNoiseGate: return "ReadNoiseGate";
    case op::kReadInputDelay: return "ReadInputDelay";
    case op::kReadInputPolarity: return "ReadInputPolarity";
    case op::kReadMatrixRow: return "ReadMatrixRow";
    case op::kReadOutputGains: return "ReadOutputGains";
    case op::kReadOutputEq: return "ReadOutputEq";
    case op::kReadOutputFilter: return "ReadOutputFilter";
    case op::kReadOutputDelay: return "ReadOutputDelay";
    case op::kReadOutputPolarity: return "ReadOutputPolarity";
    case op::kReadLimiter: return "ReadLimiter";
    case op::kReadCompressor: return "ReadCompressor";
    case op::kReadStatus: return "ReadStatus";
    case op::kReadEffectsBlock: return "ReadEffectsBlock";
    case op::kReadPresetName: return "ReadPresetName";
    case op::kStorePreset: return "StorePreset";
    case op::kRecallPreset: return "RecallPreset";
    default: return nullptr;
  }
}

const char* WriteName(std::uint8_t opcode) {
  switch (opcode) {
    case op::kWriteEqBand: return "WriteEqBand";
    case op::kWriteGainsOrMatrix: return "WriteGains/WriteMatrixRow";
    case op::kWriteDelay: return "WriteDelay";
    case op::kWriteNoiseGate: return "WriteNoiseGate";
    case op::kWritePolarity: return "WritePolarity";
    case op::kWriteHighPass: return "WriteHighPass";
    case op::kWriteLowPass: return "WriteLowPass";
    case op::kWriteLimiter: return "WriteLimiter";
    case op::kWriteCompressor: return "WriteCompressor";
    case op::kBeginFirmwareUpload: return "BeginFirmwareUpload";
    case op::kBeginParameterUpload: return "BeginParameterUpload";
    case op::kWritePresetName: return "WritePresetName";
    default: return nullptr;
  }
}
}  // namespace

std::string CommandName(std::uint8_t frame_class, std::uint8_t opcode) {
  const char* name = nullptr;
  switch (frame_class) {
    case cls::kScan: name = ScanName(opcode); break;
    case cls::kRequest:
    case cls::kReply: name = RequestName(opcode); break;
    case cls::kWrite: name = WriteName(opcode); break;
    case cls::kPinkNoise: name = opcode == op::kPinkNoise ? "PinkNoise" : nullptr; break;
    default: break;
  }
  if (name) return name;
  char text[40];
  std::snprintf(text, sizeof text, "class 0x%02X opcode 0x%02X", frame_class, opcode);
  return text;
}

}  // namespace velmora::sim
