#include "protocol/timer_request_id.h"

namespace velmora::protocol {

namespace {
std::uint8_t Byte(std::uint32_t id, int shift) { return static_cast<std::uint8_t>((id >> shift) & 0xFF); }
}  // namespace

std::uint32_t TimerRequestId::Pack() const {
  if (code == timer_code::kMatrixRow)
    return std::uint32_t{code} | std::uint32_t{address} << 8 | std::uint32_t{channel} << 24;
  return std::uint32_t{code} | std::uint32_t{sub_index} << 8 | std::uint32_t{address} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(channel & 0x7F)} << 24 |
         (side ? 0x80000000u : 0u);
}

TimerRequestId TimerRequestId::Unpack(std::uint32_t id) {
  TimerRequestId r;
  r.code = Byte(id, 0);
  if (r.code == timer_code::kMatrixRow) {
    r.address = Byte(id, 8);
    r.channel = Byte(id, 24);
    r.side = (id & 0x80000000u) != 0;  // the input number's top bit, as the layout has it
    return r;
  }
  r.sub_index = Byte(id, 8);
  r.address = Byte(id, 16);
  r.channel = static_cast<std::uint8_t>(Byte(id, 24) & 0x7F);
  r.side = (id & 0x80000000u) != 0;
  return r;
}

TimerRequestId TimerRequestId::Write(std::uint8_t code, std::uint8_t address, int side, int channel,
                                     int sub_index) {
  TimerRequestId r;
  r.code = code;
  r.address = address;
  r.side = side != 0;
  r.channel = static_cast<std::uint8_t>(channel & 0x7F);
  r.sub_index = static_cast<std::uint8_t>(sub_index);
  return r;
}

TimerRequestId TimerRequestId::MatrixRow(std::uint8_t address, int input) {
  TimerRequestId r;
  r.code = timer_code::kMatrixRow;
  r.address = address;
  r.channel = static_cast<std::uint8_t>(input);
  r.side = (input & 0x80) != 0;
  return r;
}

TimerRequestId TimerRequestId::DeviceName(std::uint8_t address) {
  return Write(timer_code::kDeviceName, address, 0, 0);
}

TimerRequestId TimerRequestId::PinkNoise(std::uint8_t address, int input, bool play) {
  return Write(timer_code::kPinkNoise, address, play ? 1 : 0, input);
}

}  // namespace velmora::protocol
