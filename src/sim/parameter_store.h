#pragma once
// A device's own memory: the current parameter set, 17 preset slots with
// names (slot 0 the factory set-up), and the device name.
//
// Units are the device's: gains in hundredths of a dB, delays in samples,
// frequencies in Hz, Q times 100. Where the console adds one of its
// configured offsets before sending (noise gate, limiter, compressor
// thresholds) the device cannot know that offset, so the store keeps the
// threshold as it arrives minus the wire's fixed bias, and hands back exactly
// what it was given. The EQ band type is kept as its wire code (0 peaking).

#include <array>
#include <string>

#include "sim/sim_types.h"

namespace velmora::sim {

inline constexpr int kEqBands = 32;  // the wire carries 32; the console keeps 31

struct EqBand {
  bool enable = false;
  int gain = 0;        // hundredths of a dB
  int frequency = 1000;
  int q = 100;
  int type_code = 0;   // wire code: 0 peaking, 6 low shelf, 7 high shelf...
  bool operator==(const EqBand&) const = default;
};

struct Filter {
  bool enable = false;
  int type = 0;   // response family 0..2
  int slope = 0;  // slope code 0..7
  int frequency = 20;
  bool operator==(const Filter&) const = default;
};

struct InputChannel {
  int gain = 0;
  bool mute = false;
  bool polarity = false;
  bool delay_enable = false;
  int delay = 0;
  bool gate_enable = false;
  int gate_start = 0;    // wire byte minus 200
  int gate_release = 0;  // wire byte minus 200
  std::array<EqBand, kEqBands> eq{};
  std::array<int, kMaxChannels> route_level{};        // 100 = unity
  std::array<bool, kMaxChannels> route_enable{};
  bool operator==(const InputChannel&) const = default;
};

struct OutputChannel {
  int gain = 0;
  bool mute = false;
  bool polarity = false;
  bool delay_enable = false;
  int delay = 0;
  std::array<EqBand, kEqBands> eq{};
  std::array<Filter, 2> filters{};  // 0 high-pass, 1 low-pass
  bool compressor_enable = false;
  int compressor_attack = 2500;
  int compressor_release = 5000;
  int compressor_threshold = 0;  // the s16 as it arrives (console threshold and offset folded in)
  int compressor_ratio_x10 = 10;
  bool limiter_enable = false;
  int limiter_threshold = 0;  // wire byte minus 200, signed
  int limiter_release = 5000;
  bool operator==(const OutputChannel&) const = default;
};

struct ParameterSet {
  std::array<InputChannel, kMaxChannels> inputs{};
  std::array<OutputChannel, kMaxChannels> outputs{};

  // What a device leaves the factory with: unity gains, flat EQs on the
  // usual third-octave centres, input n routed to output n.
  static ParameterSet Factory();
  bool operator==(const ParameterSet&) const = default;
};

struct Preset {
  std::string name;  // at most 19 characters
  ParameterSet parameters;
};

class ParameterStore {
 public:
  ParameterStore();

  ParameterSet& current() { return current_; }
  const ParameterSet& current() const { return current_; }

  const Preset& preset(int slot) const { return presets_.at(static_cast<std::size_t>(slot)); }
  int current_preset() const { return current_preset_; }

  // Slot outside 0..16: nothing happens and false is returned.
  bool Store(int slot);
  bool Recall(int slot);
  bool Rename(int slot, std::string name);

 private:
  ParameterSet current_;
  std::array<Preset, kPresetSlots> presets_;
  int current_preset_ = 0;
};

// The text of a fixed-width, zero-padded name field: up to the first zero
// byte or the end of the field.
std::string NameFromField(ByteView field);

}  // namespace velmora::sim
