#include "sim/levels_model.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kFloorDriftDb = 4.0;

double DbToPower(double db) { return std::pow(10.0, db / 10.0); }
double HundredthsDbToPower(int gain) { return std::pow(10.0, gain / 1000.0); }

std::uint32_t ToEnergy(double power) {
  const double e = std::round(power * LevelsModel::kFullScale);
  return static_cast<std::uint32_t>(std::clamp(e, 0.0, 4294967295.0));
}
}  // namespace

LevelsModel::LevelsModel(std::uint64_t seed) : wobble_(seed) {
  pink_volume_.fill(-1);
  std::uniform_real_distribution<double> phase(0.0, 2 * kPi), period(7.0, 13.0);
  for (std::size_t i = 0; i < drift_phase_.size(); ++i) {
    drift_phase_[i] = phase(wobble_);
    drift_period_s_[i] = period(wobble_);
  }
}

void LevelsModel::PinkNoise(std::uint8_t input_mask, bool play, int volume) {
  for (int i = 0; i < kMaxChannels; ++i)
    if (input_mask & (1u << i)) pink_volume_[static_cast<std::size_t>(i)] = play ? volume : -1;
}

double LevelsModel::FloorPower(int index, Micros now) const {
  const double t = static_cast<double>(now) / 1e6;
  const auto i = static_cast<std::size_t>(index);
  const double db = kFloorDb + kFloorDriftDb * std::sin(2 * kPi * t / drift_period_s_[i] + drift_phase_[i]);
  return DbToPower(db);
}

std::vector<std::uint32_t> LevelsModel::Energies(const ParameterSet& set, int inputs, int outputs,
                                                 Micros now) {
  std::uniform_real_distribution<double> wobble_db(-0.3, 0.3);
  std::array<double, kMaxChannels> source{};
  for (int i = 0; i < inputs; ++i) {
    const int volume = pink_volume_[static_cast<std::size_t>(i)];
    if (volume > 0)
      source[static_cast<std::size_t>(i)] =
          DbToPower(20.0 * std::log10(volume / 255.0) + wobble_db(wobble_));
    else
      source[static_cast<std::size_t>(i)] = FloorPower(i, now);
  }

  std::vector<std::uint32_t> energies;
  for (int i = 0; i < inputs; ++i) energies.push_back(ToEnergy(source[static_cast<std::size_t>(i)]));
  for (int j = 0; j < outputs; ++j) {
    const OutputChannel& out = set.outputs[static_cast<std::size_t>(j)];
    double power = 0.0;
    for (int i = 0; i < inputs; ++i) {
      const InputChannel& in = set.inputs[static_cast<std::size_t>(i)];
      if (in.mute || !in.route_enable[static_cast<std::size_t>(j)]) continue;
      const double level = in.route_level[static_cast<std::size_t>(j)] / 100.0;
      power += source[static_cast<std::size_t>(i)] * level * level * HundredthsDbToPower(in.gain);
    }
    power = out.mute ? 0.0 : power * HundredthsDbToPower(out.gain);
    energies.push_back(ToEnergy(power + FloorPower(kMaxChannels + j, now)));
  }
  return energies;
}

}  // namespace velmora::sim
