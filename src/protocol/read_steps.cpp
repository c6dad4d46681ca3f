#include "protocol/read_steps.h"

#include <array>

#include "protocol/catalogue_read.h"

namespace velmora::protocol {

namespace {

using Apply = std::function<ReplyCheck(DeviceRecord&, ByteView)>;

int Count(const DeviceRecord& r, int side) { return static_cast<int>(ChannelsInTables(r, side)); }
std::uint8_t U8(int value) { return static_cast<std::uint8_t>(value); }

void PerChannel(std::vector<ReadItem>& items, int count,
                const std::function<ReadItem(std::uint8_t)>& make) {
  for (int c = 0; c < count; ++c) items.push_back(make(U8(c)));
}

}  // namespace

std::vector<ReadItem> ReadStepItems(int step, const DeviceRecord& r, const ProgramSettings& s) {
  const std::uint8_t a = U8(static_cast<int>(r.address & 0xFF));
  const int inputs = Count(r, kSideInput);
  const int outputs = Count(r, kSideOutput);
  const ProgramSettings* ps = &s;  // outlives the items
  std::vector<ReadItem> items;
  switch (step) {
    case 1:
      PerChannel(items, inputs, [&](std::uint8_t c) { return ReadItem{ReadInputDelay(a, c), ApplyInputDelay}; });
      PerChannel(items, outputs, [&](std::uint8_t c) { return ReadItem{ReadOutputDelay(a, c), ApplyOutputDelay}; });
      break;
    case 2:
      for (int slot = 0; slot < static_cast<int>(kPresetSlots); ++slot)
        items.push_back({ReadPresetName(a, U8(slot)),
                         [slot](DeviceRecord& d, ByteView b) { return ApplyPresetName(d, b, slot); }});
      break;
    case 3:
      for (int c = 0; c < inputs; ++c)
        for (int first : {0, 16})
          items.push_back({ReadInputEq(a, U8(c), U8(first)),
                           [first](DeviceRecord& d, ByteView b) { return ApplyInputEq(d, b, first); }});
      for (int c = 0; c < outputs; ++c)
        for (int first : {0, 16})
          items.push_back({ReadOutputEq(a, U8(c), U8(first)),
                           [first](DeviceRecord& d, ByteView b) { return ApplyOutputEq(d, b, first); }});
      break;
    case 4:
      PerChannel(items, inputs, [&](std::uint8_t c) {
        return ReadItem{ReadNoiseGate(a, c), [ps](DeviceRecord& d, ByteView b) { return ApplyNoiseGate(d, b, *ps); }};
      });
      break;
    case 5:
      PerChannel(items, inputs, [&](std::uint8_t c) { return ReadItem{ReadInputGain(a, c), ApplyInputGain}; });
      break;
    case 6:
      for (int c = 0; c < outputs; ++c)
        for (int filter : {kHighPass, kLowPass})
          items.push_back({ReadOutputFilter(a, U8(c), U8(filter)),
                           [filter](DeviceRecord& d, ByteView b) { return ApplyOutputFilter(d, b, filter); }});
      break;
    case 7:
      PerChannel(items, outputs, [&](std::uint8_t c) {
        return ReadItem{ReadCompressor(a, c), [ps](DeviceRecord& d, ByteView b) { return ApplyCompressor(d, b, *ps); }};
      });
      break;
    case 8:
      PerChannel(items, outputs, [&](std::uint8_t c) {
        return ReadItem{ReadLimiter(a, c), [ps](DeviceRecord& d, ByteView b) { return ApplyLimiter(d, b, *ps); }};
      });
      break;
    case 9:
      items.push_back({ReadOutputGains(a), ApplyOutputGains});
      break;
    case 10:
      PerChannel(items, inputs, [&](std::uint8_t c) { return ReadItem{ReadInputPolarity(a, c), ApplyInputPolarity}; });
      PerChannel(items, outputs, [&](std::uint8_t c) { return ReadItem{ReadOutputPolarity(a, c), ApplyOutputPolarity}; });
      break;
    case 11:
      PerChannel(items, inputs, [&](std::uint8_t c) { return ReadItem{ReadMatrixRow(a, c), ApplyMatrixRow}; });
      break;
    default:
      break;
  }
  return items;
}

std::string_view ReadStepName(int step) {
  static constexpr std::array<std::string_view, kReadSteps> kNames = {
      "delays",     "preset names",  "equalisers", "noise gates",   "input gains", "filters",
      "compressors", "limiters",     "output gains", "polarities", "matrix"};
  return step >= 1 && step <= kReadSteps ? kNames[static_cast<std::size_t>(step - 1)] : "";
}

}  // namespace velmora::protocol
