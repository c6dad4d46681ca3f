#include "protocol/meter_poll.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "protocol/catalogue_read.h"
#include "protocol/timer_request_id.h"

namespace velmora::protocol {

std::uint32_t MeterPoll::PollTimerId() { return timer_code::kMeterPoll; }

void MeterPoll::Tick() {
  if (!context_.owner.IsPortOpen()) return;
  DeviceList& devices = context_.devices;
  if (devices.empty() || position_ >= devices.size()) {
    position_ = 0;
    return;
  }
  context_.link.Enqueue(ReadStatus(static_cast<std::uint8_t>(devices[position_].address & 0xFF)));
  TakeReply();
  if (++position_ >= devices.size()) position_ = 0;
}

void MeterPoll::TakeReply() {
  const auto reply = context_.link.PopReply();
  if (!reply || reply->size() <= kOffAddress) return;
  DeviceRecord* record = FindDevice(context_.devices, (*reply)[kOffAddress]);
  if (!record) return;  // an address not in the list: dropped
  const std::int32_t preset = record->current_preset;
  const StatusReading reading = ApplyStatus(*record, *reply);
  if (reading.check != ReplyCheck::kApplied) return;  // another kind of reply: dropped
  // The made-up no-answer reply carries 0xFF where the preset would be: an
  // offline device keeps the preset it was last known to run.
  if (!reading.online) record->current_preset = preset;
  context_.owner.OnMeterReading(*record, reading.online);
}

double MeterLevelDb(std::uint32_t energy, std::uint32_t energy_full, std::int32_t floor_db) {
  const double floor = floor_db;
  if (energy == 0 || energy_full == 0) return floor;
  return std::max(floor, 10.0 * std::log10(static_cast<double>(energy) / energy_full));
}

double MeterLevelDb(std::int32_t energy, const ProgramSettings& settings) {
  return MeterLevelDb(static_cast<std::uint32_t>(energy), settings.config_energy_full,
                      settings.config_energy_min);
}

std::string MeterLevelText(double level_db) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f dBv", level_db);
  return text;
}

int MeterBarValue(double level_db, int bar_min, int bar_max) {
  const double value = std::ceil(level_db * 10.0);
  if (value <= bar_min) return bar_min;
  if (value >= bar_max) return bar_max;
  return static_cast<int>(value);
}

}  // namespace velmora::protocol
