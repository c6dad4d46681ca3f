#pragma once
// Read requests (class 0xF7) and the application of their replies (class 0xF8)
// to a record. Each Apply function first checks the reply's opcode and length
// against the wire tables; a reply that fails leaves the record unchanged and
// counts as a missed reply for the reader.

#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "model/device_record.h"
#include "model/program_settings.h"
#include "protocol/catalogue_frame.h"

namespace velmora::protocol {

// Requests. `index` is the channel (input or output) the request is for.
Bytes ReadInputGain(std::uint8_t address, std::uint8_t input);
Bytes ReadOutputGains(std::uint8_t address);
// Sixteen bands from `first_band` (the reader asks for 0 and 16).
Bytes ReadInputEq(std::uint8_t address, std::uint8_t input, std::uint8_t first_band);
Bytes ReadOutputEq(std::uint8_t address, std::uint8_t output, std::uint8_t first_band);
Bytes ReadNoiseGate(std::uint8_t address, std::uint8_t input);
Bytes ReadInputDelay(std::uint8_t address, std::uint8_t input);
Bytes ReadOutputDelay(std::uint8_t address, std::uint8_t output);
Bytes ReadInputPolarity(std::uint8_t address, std::uint8_t input);
Bytes ReadOutputPolarity(std::uint8_t address, std::uint8_t output);
Bytes ReadMatrixRow(std::uint8_t address, std::uint8_t input);
Bytes ReadOutputFilter(std::uint8_t address, std::uint8_t output, std::uint8_t filter);
Bytes ReadLimiter(std::uint8_t address, std::uint8_t output);
Bytes ReadCompressor(std::uint8_t address, std::uint8_t output);
Bytes ReadPresetName(std::uint8_t address, std::uint8_t slot);
Bytes ReadStatus(std::uint8_t address);
Bytes ReadEffectsBlock(std::uint8_t address, std::uint16_t block);

// Replies. The channel a reply fills comes from its channel byte; a channel
// outside the record's tables is ignored by the record's setters.
ReplyCheck ApplyInputGain(DeviceRecord& record, ByteView reply);
ReplyCheck ApplyOutputGains(DeviceRecord& record, ByteView reply);
// The bands are counted from the request's first band; band 31 is dropped.
ReplyCheck ApplyInputEq(DeviceRecord& record, ByteView reply, int first_band);
ReplyCheck ApplyOutputEq(DeviceRecord& record, ByteView reply, int first_band);
ReplyCheck ApplyNoiseGate(DeviceRecord& record, ByteView reply, const ProgramSettings& settings);
ReplyCheck ApplyInputDelay(DeviceRecord& record, ByteView reply);
ReplyCheck ApplyOutputDelay(DeviceRecord& record, ByteView reply);
ReplyCheck ApplyInputPolarity(DeviceRecord& record, ByteView reply);
ReplyCheck ApplyOutputPolarity(DeviceRecord& record, ByteView reply);
// kIgnored when the reply asks to be ignored (bit 0 of byte 7).
ReplyCheck ApplyMatrixRow(DeviceRecord& record, ByteView reply);
// The reply does not say which filter it holds: `filter` is the request's.
ReplyCheck ApplyOutputFilter(DeviceRecord& record, ByteView reply, int filter);
ReplyCheck ApplyLimiter(DeviceRecord& record, ByteView reply, const ProgramSettings& settings);
ReplyCheck ApplyCompressor(DeviceRecord& record, ByteView reply, const ProgramSettings& settings);
// The slot is the request's.
ReplyCheck ApplyPresetName(DeviceRecord& record, ByteView reply, int slot);

// A status reply: online, current preset and, when the reply is complete,
// the energies of every channel. The caller finds the record by byte 3.
struct StatusReading {
  ReplyCheck check = ReplyCheck::kWrongOpcode;
  bool online = false;
  bool energies_read = false;  // false for a short reply such as the made-up one
};
StatusReading ApplyStatus(DeviceRecord& record, ByteView reply);

// The data bytes of a ReadEffectsBlock reply, [7] .. [len-2].
std::optional<ByteView> EffectsBlockData(ByteView reply);

}  // namespace velmora::protocol
