#pragma once
// Parameter writes (class 0xF3) and pink noise (class 0xF9): frames built from
// a record's current values. No reply is read for any of them.
//
// A function taking a channel returns nothing when the channel lies outside
// the record's tables (0..7), or a band outside 0..30: such a write is never
// sent. "inputs" and "outputs" below are the record's channel counts, limited
// to the 8 slots a frame has.

#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "model/device_record.h"
#include "model/program_settings.h"

namespace velmora::protocol {

// The gain field of WriteGains: x / 10 (truncating toward zero) + 2000, as s16.
std::uint16_t GainField(std::int32_t gain);
// The type code WriteEqBand sends for a stored equaliser type.
std::uint8_t EqTypeCode(std::int32_t type);

std::optional<Bytes> WriteGainsOneInput(const DeviceRecord& record, int input);
Bytes WriteGainsAllOutputs(const DeviceRecord& record);
// Side 1 sends every output's value, whatever the channel; side 0 the input's.
std::optional<Bytes> WriteGains(const DeviceRecord& record, int side, int channel);

std::optional<Bytes> WriteMatrixRow(const DeviceRecord& record, int input);

std::optional<Bytes> WriteDelayOneInput(const DeviceRecord& record, int input);
Bytes WriteDelayAllOutputs(const DeviceRecord& record);
std::optional<Bytes> WriteDelay(const DeviceRecord& record, int side, int channel);

std::optional<Bytes> WriteEqBand(const DeviceRecord& record, int side, int channel, int band);

std::optional<Bytes> WriteNoiseGate(const DeviceRecord& record, int input,
                                    const ProgramSettings& settings);

std::optional<Bytes> WritePolarityOneInput(const DeviceRecord& record, int input);
Bytes WritePolarityAllOutputs(const DeviceRecord& record);
std::optional<Bytes> WritePolarity(const DeviceRecord& record, int side, int channel);

std::optional<Bytes> WriteHighPass(const DeviceRecord& record, int output);
std::optional<Bytes> WriteLowPass(const DeviceRecord& record, int output);

std::optional<Bytes> WriteLimiter(const DeviceRecord& record, int output,
                                  const ProgramSettings& settings);
std::optional<Bytes> WriteCompressor(const DeviceRecord& record, int output,
                                     const ProgramSettings& settings);

// Plays (or stops) pink noise into input `input`.
std::optional<Bytes> PinkNoise(std::uint8_t address, int input, bool play,
                               const ProgramSettings& settings);

}  // namespace velmora::protocol
