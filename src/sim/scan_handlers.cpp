// Scan and identity commands (class 0xF2).
#include <algorithm>

#include "sim/device.h"
#include "sim/opcodes.h"

namespace velmora::sim {

namespace {
constexpr std::uint8_t kBroadcastReply = 0xFF;  // complement of address 0

CommandFrame& NameField(CommandFrame& frame, const std::string& name) {
  for (int i = 0; i < kNameLength; ++i)
    frame.Byte(i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[static_cast<std::size_t>(i)]) : 0);
  return frame;
}
}  // namespace

void Device::OnScanFrame(const Frame& f, Micros now, std::vector<Emission>& out, bool clean_answer_heard) {
  const std::uint8_t opcode = f[kOffOpcode];
  const bool waiting = address_ == 0;
  auto identity = [&](Micros backoff) {
    CommandFrame reply(FrameClass::kScan, kBroadcastReply, op::kScanIdentity);
    reply.Raw(setup_.chip_id);
    Reply(reply.Finish(), now + backoff, out);
  };

  switch (opcode) {
    case op::kScanBegin:
      address_ = 0;
      scan_.Begin();
      break;
    case op::kScanQuery:
      if (waiting) identity(scan_.QueryDelay(now, setup_.latency));
      break;
    case op::kScanCollision:
      if (waiting)
        if (const auto backoff = scan_.CollisionDelay(clean_answer_heard, setup_.latency)) identity(*backoff);
      break;
    case op::kAssignAddress: {
      if (f.size() < 15) break;
      if (!std::equal(setup_.chip_id.begin(), setup_.chip_id.end(), f.begin() + 6)) {
        break;
      }
      // A repeat (our answer got lost) is answered again with the new address.
      address_ = f[5];
      CommandFrame reply(FrameClass::kScan, kBroadcastReply, op::kAddressAssigned);
      reply.Byte(address_);
      NameField(reply, name_);
      reply.Byte(static_cast<std::uint8_t>(setup_.inputs)).Byte(static_cast<std::uint8_t>(setup_.outputs));
      Reply(reply.Finish(), now, out);
      break;
    }
    case op::kWriteDeviceName: {
      if (address_ == 0 || f[kOffAddress] != address_ || f.size() < 26) break;
      name_ = NameFromField(ByteView(f.data() + 5, kNameLength));
      CommandFrame reply(FrameClass::kScan, static_cast<std::uint8_t>(~address_), op::kWriteDeviceName);
      NameField(reply, name_);
      Reply(reply.Finish(), now, out);
      break;
    }
    default: break;
  }
}

}  // namespace velmora::sim
