#pragma once
// Shared vocabulary of the emulated line: its clock and the description of
// one device as the command line or the config file gives it.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "link/frame.h"

namespace velmora::sim {

// Microseconds on the line's clock. The core never reads a real clock: the
// caller passes `now` in, so tests can run a scan in virtual time.
using Micros = std::int64_t;
inline constexpr Micros kMillis = 1000;

using ChipId = std::array<std::uint8_t, 8>;

inline constexpr int kMaxChannels = 8;
inline constexpr int kNameLength = 20;        // device name field on the wire
inline constexpr int kPresetSlots = 17;       // slot 0 holds the factory set-up
inline constexpr int kPresetNameLength = 19;  // characters kept per preset name

// A device's bad day, set from the command line or the control channel.
struct Faults {
  double drop = 0.0;       // share of replies never sent
  double corrupt = 0.0;    // share of replies sent with a wrong checksum
  Micros jitter = 0;       // extra latency, uniform in [0, jitter]
  bool unplugged = false;  // hears nothing, says nothing
  std::set<std::uint8_t> muted_opcodes;  // requests with these opcodes are never answered
};

struct DeviceSetup {
  std::string name;
  ChipId chip_id{};
  int inputs = 8;
  int outputs = 8;
  Micros latency = 3 * kMillis;
  Faults faults;
};

}  // namespace velmora::sim

namespace velmora::sim {

// A fallible operation's outcome: a value, or the reason there is none.
template <typename T>
struct Result {
  std::optional<T> value;
  std::string error;

  static Result Ok(T v) { return Result{std::move(v), {}}; }
  static Result Fail(std::string why) { return Result{std::nullopt, std::move(why)}; }
  explicit operator bool() const { return value.has_value(); }
};

}  // namespace velmora::sim
