#include "protocol/timer_code_table.h"

#include "protocol/deferred_writes.h"

namespace velmora::protocol {

bool TimerCodeTable::Dispatch(std::uint32_t id) const {
  const auto it = handlers_.find(TimerRequestId::CodeOf(id));
  if (it == handlers_.end() || !it->second) return false;
  it->second(id);
  return true;
}

void RegisterWriteHandlers(TimerCodeTable& table, FlowContext& context) {
  for (int code = timer_code::kDelay; code <= timer_code::kDeviceName; ++code) {
    if (!IsWriteCode(static_cast<std::uint8_t>(code))) continue;
    table.Register(static_cast<std::uint8_t>(code), [&context](std::uint32_t id) {
      if (auto frame = BuildDeferredWrite(id, context.devices, context.settings))
        context.link.Enqueue(*frame);
      context.timers.KillTimer(id);
    });
  }
}

}  // namespace velmora::protocol
