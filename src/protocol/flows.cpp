#include "protocol/flows.h"

#include "protocol/timer_request_id.h"

namespace velmora::protocol {

Flows::Flows(FlowContext context)
    : context_(context), scan_(context_), sequence_(context_), meters_(context_) {
  RegisterWriteHandlers(table_, context_);
  table_.Register(timer_code::kScanStep, [this](std::uint32_t) { scan_.Tick(); });
  table_.Register(timer_code::kSequenceTick, [this](std::uint32_t) { sequence_.Tick(); });
  table_.Register(timer_code::kMeterPoll, [this](std::uint32_t) { meters_.Tick(); });
}

}  // namespace velmora::protocol
