#include "sim/parameter_store.h"

#include <algorithm>

namespace velmora::sim {

namespace {
constexpr std::array<int, 31> kCentres = {20,   25,   31,   40,   50,   63,    80,    100,
                                          125,  160,  200,  250,  315,  400,   500,   630,
                                          800,  1000, 1250, 1600, 2000, 2500,  3150,  4000,
                                          5000, 6300, 8000, 10000, 12500, 15000, 16000};

void FlatEq(std::array<EqBand, kEqBands>& eq) {
  for (int b = 0; b < kEqBands; ++b)
    eq[static_cast<std::size_t>(b)].frequency = b < 31 ? kCentres[static_cast<std::size_t>(b)] : 20000;
}
}  // namespace

ParameterSet ParameterSet::Factory() {
  ParameterSet set;
  for (int i = 0; i < kMaxChannels; ++i) {
    InputChannel& in = set.inputs[static_cast<std::size_t>(i)];
    FlatEq(in.eq);
    in.route_level[static_cast<std::size_t>(i)] = 100;
    in.route_enable[static_cast<std::size_t>(i)] = true;
    OutputChannel& out = set.outputs[static_cast<std::size_t>(i)];
    FlatEq(out.eq);
    out.filters[0].frequency = 20;
    out.filters[1].frequency = 20000;
  }
  return set;
}

ParameterStore::ParameterStore() : current_(ParameterSet::Factory()) {
  presets_[0].name = "Factory";
  for (Preset& p : presets_) p.parameters = current_;
  for (int s = 1; s < kPresetSlots; ++s)
    presets_[static_cast<std::size_t>(s)].name = "Preset " + std::to_string(s);
}

bool ParameterStore::Store(int slot) {
  // Slot 0 is the factory set-up; storing over it would lose the reset.
  if (slot < 1 || slot >= kPresetSlots) return false;
  presets_[static_cast<std::size_t>(slot)].parameters = current_;
  return true;
}

bool ParameterStore::Recall(int slot) {
  if (slot < 0 || slot >= kPresetSlots) return false;
  current_ = presets_[static_cast<std::size_t>(slot)].parameters;
  current_preset_ = slot;
  return true;
}

bool ParameterStore::Rename(int slot, std::string name) {
  if (slot < 0 || slot >= kPresetSlots) return false;
  if (name.size() > kPresetNameLength) name.resize(kPresetNameLength);
  presets_[static_cast<std::size_t>(slot)].name = std::move(name);
  return true;
}

std::string NameFromField(ByteView field) {
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

}  // namespace velmora::sim
