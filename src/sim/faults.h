#pragma once
// Applying a device's faults to what it is about to send. Faults act on reply
// frames only; upload handshake bytes are left alone (unplug aside, which the
// line handles by cutting the device off entirely).

#include <random>

#include "sim/device.h"

namespace velmora::sim {

enum class FaultVerdict { kSend, kDropped, kMuted };

// May corrupt the checksum or delay the emission; says whether it goes out.
FaultVerdict ApplyFaults(const Faults& faults, std::mt19937_64& random, Emission& emission);

}  // namespace velmora::sim
