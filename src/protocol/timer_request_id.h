#pragma once
// The identifier of a window timer that drives device work. Deferred writes
// carry what to send and where in it; the scan, the transfer sequence, the
// meter poll and the monitor refresh use their plain code.
//
// Layout (32 bits):
//   bits 0..7    code (128..143)
//   bits 8..15   sub-index: EQ band (130), filter (132: 1 low-pass, else
//                high-pass); the device address for code 138
//   bits 16..23  device address (every code but 138)
//   bits 24..30  channel
//   bit  31      side (1 outputs); play/stop for 131
// Code 138 (matrix row) has its own layout: the input number fills bits 24..31
// and the address bits 8..15; bits 16..23 are not read.

#include <cstdint>

namespace velmora::protocol {

namespace timer_code {
inline constexpr std::uint8_t kDelay = 128;
inline constexpr std::uint8_t kCompressor = 129;
inline constexpr std::uint8_t kEqBand = 130;
inline constexpr std::uint8_t kPinkNoise = 131;
inline constexpr std::uint8_t kFilter = 132;
inline constexpr std::uint8_t kGains = 133;
// 134 is not a code: such a timer is left unhandled.
inline constexpr std::uint8_t kLimiter = 135;
inline constexpr std::uint8_t kNoiseGate = 136;
inline constexpr std::uint8_t kPolarity = 137;
inline constexpr std::uint8_t kMatrixRow = 138;
inline constexpr std::uint8_t kDeviceName = 139;
inline constexpr std::uint8_t kScanStep = 140;
inline constexpr std::uint8_t kSequenceTick = 141;
inline constexpr std::uint8_t kMeterPoll = 142;
inline constexpr std::uint8_t kMonitorRefresh = 143;
}  // namespace timer_code

// How long after the last edit a deferred write goes out.
inline constexpr int kDeferredWriteMs = 100;
// A gain slider being dragged writes almost continuously.
inline constexpr int kDraggedGainWriteMs = 1;

struct TimerRequestId {
  std::uint8_t code = 0;
  std::uint8_t sub_index = 0;  // band, filter
  std::uint8_t address = 0;
  std::uint8_t channel = 0;    // 0..127 (0..255 for code 138's input)
  bool side = false;           // 1 outputs; play for 131

  // The window-timer identifier; code 138 packs its own layout.
  std::uint32_t Pack() const;
  static TimerRequestId Unpack(std::uint32_t id);

  // The plain code of a timer identifier (what the dispatch looks up).
  static std::uint8_t CodeOf(std::uint32_t id) { return static_cast<std::uint8_t>(id & 0xFF); }

  // The identifiers the pages arm.
  static TimerRequestId Write(std::uint8_t code, std::uint8_t address, int side, int channel,
                              int sub_index = 0);
  static TimerRequestId MatrixRow(std::uint8_t address, int input);
  static TimerRequestId DeviceName(std::uint8_t address);
  static TimerRequestId PinkNoise(std::uint8_t address, int input, bool play);

  bool operator==(const TimerRequestId&) const = default;
};

}  // namespace velmora::protocol
