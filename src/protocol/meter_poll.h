#pragma once
// The level meters: while no scan or sequence runs, timer 142 polls one
// device per 200 ms tick with ReadStatus and applies the reply it takes
// (usually the answer to the previous tick's request). A silent device gets
// the link engine's made-up no-answer reply and so shows as offline at the
// poll after its request.

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/flow_owner.h"

namespace velmora::protocol {

class MeterPoll {
 public:
  static constexpr int kTickMs = 200;

  explicit MeterPoll(FlowContext& context) : context_(context) {}

  void Start() { context_.timers.SetTimer(PollTimerId(), kTickMs); }
  void Stop() { context_.timers.KillTimer(PollTimerId()); }

  // Timer 142.
  void Tick();

  // Index of the device polled next; survives stops and restarts.
  std::size_t position() const { return position_; }

 private:
  static std::uint32_t PollTimerId();
  void TakeReply();

  FlowContext& context_;
  std::size_t position_ = 0;
};

// The meter level of a raw energy in dB: 10 log10(energy / full), never below
// `floor_db`. An energy of 0, and a full scale of 0 (the setting absent), show
// the floor. The energy is the device's unsigned reading.
double MeterLevelDb(std::uint32_t energy, std::uint32_t energy_full, std::int32_t floor_db);
double MeterLevelDb(std::int32_t energy, const ProgramSettings& settings);
// "%.1f dBv".
std::string MeterLevelText(double level_db);
// The bar's value: ceil(level x 10), clamped to the bar's range.
int MeterBarValue(double level_db, int bar_min, int bar_max);

}  // namespace velmora::protocol
