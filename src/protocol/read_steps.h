#pragma once
// The eleven read steps of a full read, as lists of request/reply items built
// from the record (its address and channel counts) at the start of each step.

#include <functional>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "model/device_record.h"
#include "model/program_settings.h"
#include "protocol/catalogue_frame.h"

namespace velmora::protocol {

struct ReadItem {
  Bytes request;
  // Applies a reply to the record; Answered() means the item is done.
  std::function<ReplyCheck(DeviceRecord&, ByteView)> apply;
};

inline constexpr int kReadSteps = 11;

// Step 1..11 in table order: delays, preset names, EQs, noise gates, input
// gains, output filters, compressors, limiters, output gains, polarities,
// matrix rows. Empty for a step outside 1..11.
std::vector<ReadItem> ReadStepItems(int step, const DeviceRecord& record,
                                    const ProgramSettings& settings);

// A short name for progress lines ("delays", "preset names"...).
std::string_view ReadStepName(int step);

}  // namespace velmora::protocol
