#include "flow_rig.h"

#include "protocol/catalogue_opcodes.h"

namespace velmora::testing {

using namespace protocol;

void FakeLink::Enqueue(ByteView frame) {
  Bytes copy(frame.begin(), frame.end());
  sent.push_back(copy);
  if (responder_)
    for (Bytes& reply : responder_(copy)) replies.push_back(std::move(reply));
}

std::optional<Bytes> FakeLink::PopReply() {
  if (replies.empty()) return std::nullopt;
  Bytes reply = std::move(replies.front());
  replies.pop_front();
  return reply;
}

std::vector<std::uint8_t> Opcodes(const std::vector<Bytes>& frames) {
  std::vector<std::uint8_t> ops;
  for (const Bytes& f : frames) ops.push_back(f.at(kOffOpcode));
  return ops;
}

Bytes MakeReply(FrameClass cls, std::uint8_t address, std::uint8_t opcode,
                const std::vector<std::uint8_t>& payload) {
  CommandFrame f(cls, address, opcode);
  f.Raw(payload);
  return f.Finish();
}

Bytes ScanIdentityReply(const ChipId& chip) {
  return MakeReply(FrameClass::kScan, 0xFF, op::kScanIdentity, {chip.begin(), chip.end()});
}

Bytes AddressAssignedReply(std::uint8_t address, const std::string& name, std::uint8_t inputs,
                           std::uint8_t outputs) {
  std::vector<std::uint8_t> p{address};
  for (std::size_t i = 0; i < 20; ++i) p.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
  p.push_back(inputs);
  p.push_back(outputs);
  return MakeReply(FrameClass::kScan, 0xFF, op::kAddressAssigned, p);
}

std::vector<Bytes> SimpleDevice::operator()(const Bytes& q) const {
  if (q.size() < 6 || q[kOffClass] != static_cast<std::uint8_t>(FrameClass::kRequest)) return {};
  const std::uint8_t opcode = q[kOffOpcode];
  if (muted.count(opcode)) return {};
  const std::uint8_t index = q.size() > 7 ? q[5] : 0;
  std::size_t length = 0;
  std::vector<std::uint8_t> p;
  switch (opcode) {
    case op::kReadInputDelay:
    case op::kReadOutputDelay:
      p = {index, 1, static_cast<std::uint8_t>(100 + index), 0};
      length = reply_len::kReadDelay;
      break;
    case op::kReadPresetName:
      p = {q[5], 'P', static_cast<std::uint8_t>('0' + q[5] % 10)};
      length = reply_len::kReadPresetNameMin;
      break;
    case op::kReadStatus: {
      p = {3, 0, 0, 0, 0, 0};  // preset 3, online
      for (std::uint32_t i = 0; i < inputs + outputs; ++i) {
        const std::uint32_t e = 1000 * (i + 1);
        p.insert(p.end(), {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(e >> 8), 0, 0});
      }
      length = 12 + 4 * (inputs + outputs);
      if (length < reply_len::kReadStatusMin) length = reply_len::kReadStatusMin;
      break;
    }
    case op::kReadInputGain: length = reply_len::kReadInputGain; p = {index}; break;
    case op::kReadOutputGains: length = reply_len::kReadOutputGains; break;
    case op::kReadInputEq:
    case op::kReadOutputEq: length = reply_len::kReadEq; p = {index}; break;
    case op::kReadNoiseGate: length = reply_len::kReadNoiseGate; p = {index}; break;
    case op::kReadInputPolarity:
    case op::kReadOutputPolarity: length = reply_len::kReadPolarity; p = {index}; break;
    case op::kReadMatrixRow: length = reply_len::kReadMatrixRow; p = {index}; break;
    case op::kReadOutputFilter: length = reply_len::kReadOutputFilter; p = {0, index}; break;
    case op::kReadLimiter: length = reply_len::kReadLimiter; p = {index}; break;
    case op::kReadCompressor: length = reply_len::kReadCompressor; p = {index}; break;
    default: return {};
  }
  p.resize(length - 6, 0);
  return {MakeReply(FrameClass::kReply, q[kOffAddress], opcode, p)};
}

FlowRig::FlowRig()
    : timers([this](std::uint32_t id) {
        if (id == count_id_) ++fired_;
        flows->OnTimer(id);
      }) {
  flows = std::make_unique<Flows>(FlowContext{link, devices, placeholder, settings, bands, timers, owner});
}

DeviceRecord& FlowRig::AddDevice(std::uint32_t inputs, std::uint32_t outputs, const std::string& name) {
  ChipId chip{};
  chip[0] = static_cast<std::uint8_t>(devices.size() + 1);
  return AppendDiscoveredDevice(devices, chip, inputs, outputs, name, bands);
}

int FlowRig::RunUntilKilled(std::uint32_t id, int limit) {
  count_id_ = id;
  fired_ = 0;
  while (timers.IsArmed(id) && limit-- > 0) timers.FireNext();
  return fired_;
}

}  // namespace velmora::testing
