#include "protocol/deferred_writes.h"

#include "protocol/catalogue_scan.h"
#include "protocol/catalogue_write.h"

namespace velmora::protocol {

namespace {

bool IsInput(const DeviceRecord& r, int channel) {
  return channel >= 0 && static_cast<std::uint32_t>(channel) < r.channel_count[kSideInput];
}

}  // namespace

bool IsWriteCode(std::uint8_t code) {
  return code >= timer_code::kDelay && code <= timer_code::kDeviceName && code != 134;
}

std::optional<Bytes> BuildDeferredWrite(const TimerRequestId& id, const DeviceRecord& r,
                                        const ProgramSettings& settings) {
  const int channel = id.channel;
  const int side = id.side ? kSideOutput : kSideInput;
  switch (id.code) {
    case timer_code::kDelay:
      if (id.side) return WriteDelayAllOutputs(r);
      if (!IsInput(r, channel)) return std::nullopt;
      return WriteDelayOneInput(r, channel);
    case timer_code::kGains:
      if (id.side) return WriteGainsAllOutputs(r);
      if (!IsInput(r, channel)) return std::nullopt;
      return WriteGainsOneInput(r, channel);
    case timer_code::kPolarity:
      if (id.side) return WritePolarityAllOutputs(r);
      if (!IsInput(r, channel)) return std::nullopt;
      return WritePolarityOneInput(r, channel);
    case timer_code::kCompressor:
      if (!id.side) return std::nullopt;
      return WriteCompressor(r, channel, settings);
    case timer_code::kEqBand:
      return WriteEqBand(r, side, channel, id.sub_index);  // nothing outside the tables
    case timer_code::kPinkNoise:
      return PinkNoise(static_cast<std::uint8_t>(r.address), channel, id.side, settings);
    case timer_code::kFilter:
      if (!id.side) return std::nullopt;
      return id.sub_index == kLowPass ? WriteLowPass(r, channel) : WriteHighPass(r, channel);
    case timer_code::kLimiter:
      if (!id.side) return std::nullopt;
      return WriteLimiter(r, channel, settings);
    case timer_code::kNoiseGate:
      if (id.side) return std::nullopt;
      return WriteNoiseGate(r, channel, settings);
    case timer_code::kMatrixRow:
      if (!IsInput(r, channel)) return std::nullopt;
      return WriteMatrixRow(r, channel);
    case timer_code::kDeviceName:
      return WriteDeviceName(static_cast<std::uint8_t>(r.address), r.name);
    default:
      return std::nullopt;
  }
}

std::optional<Bytes> BuildDeferredWrite(std::uint32_t id, const DeviceList& devices,
                                        const ProgramSettings& settings) {
  const TimerRequestId request = TimerRequestId::Unpack(id);
  if (!IsWriteCode(request.code)) return std::nullopt;
  const DeviceRecord* record = FindDevice(devices, request.address);
  if (!record) return std::nullopt;
  return BuildDeferredWrite(request, *record, settings);
}

}  // namespace velmora::protocol
